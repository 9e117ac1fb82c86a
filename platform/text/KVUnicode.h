// The one conversion between UTF-8, UTF-16 and code points. Decoding is
// strict: what another reader could not read back is refused, not guessed at.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Decodes the code point at `at` (before `end`) and advances past it.
// Answers -1 and advances one byte for a byte sequence that is not UTF-8:
// stray or missing continuation bytes, overlong forms, surrogates, values
// past U+10FFFF.
int KVNextCodePoint(const unsigned char*& at, const unsigned char* end);

// True when all of `text` is UTF-8.
bool KVIsUTF8(std::string_view text);

// Appends one code point as UTF-8; a surrogate or a value past U+10FFFF
// becomes U+FFFD, which has a UTF-8 form.
void KVAppendUTF8(std::string& out, uint32_t codePoint);

// The UTF-16 form of `text`; false (and `out` empty) when it is not UTF-8.
bool KVUTF8ToUTF16(std::string_view text, std::u16string& out);

// The UTF-8 form of UTF-16 units; a lone surrogate becomes U+FFFD.
std::string KVUTF16ToUTF8(std::u16string_view units);
