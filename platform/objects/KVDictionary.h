// An immutable map from keys to objects ("NSDictionary"). Keys compare with
// isEqual and hash (so the string "a" finds "a"); neither keys nor values are
// ever null. Entries keep the order in which they were first stored.
//
// Methods: dictionary dictionaryWithObject:forKey: (class); count
// objectForKey: allKeys allValues.
#pragma once

#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/objects/KVArray.h"
#include "platform/objects/KVObject.h"

class KVDictionary : public KVObject {
public:
    static Ref<KVDictionary> dictionary();
    // Throws KVObjectException for a null key or value; a later pair with an
    // equal key replaces the earlier value.
    static Ref<KVDictionary> withPairs(std::vector<std::pair<Ref<KVObject>, Ref<KVObject>>> pairs);

    size_t count() const { return entries_.size(); }
    // Null when absent.
    KVObject* objectForKey(const KVObject* key) const;
    Ref<KVArray> allKeys() const;
    Ref<KVArray> allValues() const;

    KVClass* objClass() const override;
    std::string description() const override;
    bool isEqual(const KVObject* other) const override;

    static void registerClass(class KVClassRegistry& registry);

protected:
    KVDictionary() = default;
    void store(KVObject* key, KVObject* value);
    void erase(const KVObject* key);
    void eraseAll();

private:
    struct KeyHash {
        size_t operator()(const KVObject* key) const { return key->hash(); }
    };
    struct KeyEqual {
        bool operator()(const KVObject* a, const KVObject* b) const { return a == b || a->isEqual(b); }
    };
    std::vector<std::pair<Ref<KVObject>, Ref<KVObject>>> entries_;
    // Key to position in entries_; the keys are owned by entries_.
    std::unordered_map<const KVObject*, size_t, KeyHash, KeyEqual> index_;
};
