// An immutable string ("NSString") of UTF-8 text. Bytes that are not valid
// UTF-8 are kept as they came, so text from scripts round-trips unchanged.
//
// Methods: string stringWithString: (class); length uppercaseString
// lowercaseString stringByAppendingString: isEqualToString: hasPrefix:
// hasSuffix: floatValue doubleValue intValue.
#pragma once

#include <cstdint>
#include <string>

#include "platform/objects/KVObject.h"

class KVString : public KVObject {
public:
    static Ref<KVString> withString(std::string utf8);

    const std::string& utf8() const { return text_; }
    // In UTF-16 code units, as the platform counts; a byte that is not part
    // of a valid UTF-8 sequence counts as one.
    uint32_t length() const;
    std::string uppercaseString() const;
    std::string lowercaseString() const;
    // The leading number of the text, 0 when there is none.
    double doubleValue() const;

    KVClass* objClass() const override;
    std::string description() const override { return text_; }
    bool isEqual(const KVObject* other) const override;
    size_t hash() const override;

    static void registerClass(class KVClassRegistry& registry);

private:
    explicit KVString(std::string utf8) : text_(std::move(utf8)) {}
    std::string text_;
};
