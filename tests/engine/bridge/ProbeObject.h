// A native class for the bridge's and the external functions' tests: it
// records what its recording methods receive and answers one value of each
// type code. Methods named with a colon take the external functions'
// context pointer first (luaObjc leaves it unset).
#pragma once

#include <cstdio>
#include <string>

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "tests/engine/bridge/BridgeTestState.h"

class ProbeObject : public KVObject {
public:
    std::string seen;
    void* context = nullptr;
    KVClass* objClass() const override { return probeClass(); }
    static KVClass* probeClass();
};

inline KVClass* ProbeObject::probeClass()
{
    static KVClass* const probe = [] {
        auto& registry = KVClassRegistry::shared();
        KVClass* cls = registry.defineClass("BridgeProbe", registry.lookup("NSObject"),
                                            [] { return Ref<KVObject>(makeRef<ProbeObject>()); });
        auto self = [](KVInvocation& inv) { return inv.targetAs<ProbeObject>(); };
        auto answer = [](KVInvocation& inv, const std::string& text) {
            inv.setReturnValue(KVValue::object(KVString::withString(text)));
        };
        // What luaObjc passes.
        cls->addInstanceMethod("take:int:unsigned:double:float:char:", "v@:@iIdfc", [self](KVInvocation& inv) {
            char text[256];
            std::snprintf(text, sizeof text, "%s|%d|%u|%.3f|%.3f|%d", kvDescription(inv.objectArgument(2)).c_str(),
                          inv.intArgument(3), inv.unsignedIntArgument(4), inv.doubleArgument(5),
                          static_cast<double>(inv.floatArgument(6)), inv.argument(7).isSet() ? 1 : 0);
            self(inv)->seen = text;
        });
        cls->addInstanceMethod("kindOf:", "@@:@", [answer](KVInvocation& inv) {
            answer(inv, shown(Ref<KVObject>(inv.objectArgument(2))));
        });
        cls->addInstanceMethod("takeClass:", "#@:#", [](KVInvocation& inv) {
            inv.setReturnValue(KVValue::classValue(inv.classArgument(2)));
        });
        cls->addInstanceMethod("seen", "@@:", [self, answer](KVInvocation& inv) { answer(inv, self(inv)->seen); });
        // What an external function receives.
        cls->addInstanceMethod("openURL:withString:extBrowser:", "v@:^v@c", [self](KVInvocation& inv) {
            self(inv)->context = inv.pointerArgument(2);
            self(inv)->seen = kvDescription(inv.objectArgument(3)) + (inv.boolArgument(4) ? " YES" : " NO");
        });
        cls->addInstanceMethod("context:count:scale:", "v@:^vif", [self](KVInvocation& inv) {
            self(inv)->seen = std::to_string(inv.intArgument(3)) + " " + std::to_string(inv.floatArgument(4));
        });
        cls->addInstanceMethod("describe:value:", "@@:^v@", [answer](KVInvocation& inv) {
            answer(inv, shown(Ref<KVObject>(inv.objectArgument(3))));
        });
        // One answer of each type code.
        const std::tuple<const char*, const char*, KVValue> results[] = {
            {"number:", "@@:^v", KVValue::object(KVNumber::withDouble(2.5))}, {"int:", "i@:^v", KVValue::intValue(-7)},
            {"uint:", "I@:^v", KVValue::unsignedIntValue(4000000000u)}, {"double:", "d@:^v", KVValue::doubleValue(0.1)},
            {"float:", "f@:^v", KVValue::floatValue(1.5f)}, {"bool:", "c@:^v", KVValue::boolValue(true)},
        };
        for (const auto& [selector, types, value] : results)
            cls->addInstanceMethod(selector, types, [value = value](KVInvocation& inv) { inv.setReturnValue(value); });
        cls->addInstanceMethod("nilObject:", "@@:^v", [](KVInvocation&) {});
        cls->addInstanceMethod("nothing:", "v@:^v", [](KVInvocation&) {});
        cls->addInstanceMethod("noContext", "v@:", [](KVInvocation&) {});
        cls->addInstanceMethod("fail:", "v@:^v", [](KVInvocation&) {
            throw KVObjectException(KVObjectException::InvalidArgument, "probe failed");
        });
        return cls;
    }();
    return probe;
}
