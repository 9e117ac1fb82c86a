#include "platform/objects/KVDictionary.h"

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVObjectException.h"

Ref<KVDictionary> KVDictionary::dictionary()
{
    return Ref<KVDictionary>::adopt(new KVDictionary());
}

Ref<KVDictionary> KVDictionary::withPairs(std::vector<std::pair<Ref<KVObject>, Ref<KVObject>>> pairs)
{
    Ref<KVDictionary> d = dictionary();
    for (auto& p : pairs)
        d->store(p.first.get(), p.second.get());
    return d;
}

void KVDictionary::store(KVObject* key, KVObject* value)
{
    if (!key || !value)
        throw KVObjectException(KVObjectException::InvalidArgument,
                                std::string("a dictionary cannot hold a nil ") + (key ? "value" : "key"));
    auto it = index_.find(key);
    if (it != index_.end()) {
        entries_[it->second].second = value;
        return;
    }
    entries_.emplace_back(Ref<KVObject>(key), Ref<KVObject>(value));
    index_.emplace(key, entries_.size() - 1);
}

void KVDictionary::erase(const KVObject* key)
{
    if (!key)
        return;
    auto it = index_.find(key);
    if (it == index_.end())
        return;
    size_t position = it->second;
    index_.erase(it);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    for (auto& entry : index_)
        if (entry.second > position)
            --entry.second;
}

void KVDictionary::eraseAll()
{
    index_.clear();
    entries_.clear();
}

KVObject* KVDictionary::objectForKey(const KVObject* key) const
{
    if (!key)
        return nullptr;
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : entries_[it->second].second.get();
}

Ref<KVArray> KVDictionary::allKeys() const
{
    std::vector<Ref<KVObject>> keys;
    for (const auto& e : entries_)
        keys.push_back(e.first);
    return KVArray::withObjects(std::move(keys));
}

Ref<KVArray> KVDictionary::allValues() const
{
    std::vector<Ref<KVObject>> values;
    for (const auto& e : entries_)
        values.push_back(e.second);
    return KVArray::withObjects(std::move(values));
}

KVClass* KVDictionary::objClass() const
{
    static KVClass* cls = KVClassRegistry::shared().lookup("NSDictionary");
    return cls;
}

std::string KVDictionary::description() const
{
    std::string text = "{";
    for (const auto& e : entries_)
        text += " " + kvDescription(e.first.get()) + " = " + kvDescription(e.second.get()) + ";";
    return text + (entries_.empty() ? "}" : " }");
}

bool KVDictionary::isEqual(const KVObject* other) const
{
    auto d = dynamic_cast<const KVDictionary*>(other);
    if (!d || d->count() != count())
        return false;
    for (const auto& e : entries_) {
        KVObject* theirs = d->objectForKey(e.first.get());
        if (!theirs || !e.second->isEqual(theirs))
            return false;
    }
    return true;
}

void KVDictionary::registerClass(KVClassRegistry& registry)
{
    KVClass* cls = registry.defineClass("NSDictionary", registry.lookup("NSObject"),
                                        [] { return Ref<KVObject>(dictionary()); });
    cls->addClassMethod("dictionary", "@#:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(inv.targetAs<KVClass>()->createInstance()));
    });
    cls->addClassMethod("dictionaryWithObject:forKey:", "@#:@@", [](KVInvocation& inv) {
        Ref<KVObject> made = inv.targetAs<KVClass>()->createInstance();
        auto d = dynamic_cast<KVDictionary*>(made.get());
        if (!d)
            throw KVObjectException(KVObjectException::InvalidArgument,
                                    inv.targetAs<KVClass>()->name() + " makes no dictionaries");
        d->store(inv.objectArgument(3), inv.objectArgument(2));
        inv.setReturnValue(KVValue::object(made));
    });
    cls->addInstanceMethod("count", "I@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::unsignedIntValue(static_cast<uint32_t>(inv.targetAs<KVDictionary>()->count())));
    });
    cls->addInstanceMethod("objectForKey:", "@@:@", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(inv.targetAs<KVDictionary>()->objectForKey(inv.objectArgument(2))));
    });
    cls->addInstanceMethod("allKeys", "@@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(inv.targetAs<KVDictionary>()->allKeys()));
    });
    cls->addInstanceMethod("allValues", "@@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(inv.targetAs<KVDictionary>()->allValues()));
    });
}
