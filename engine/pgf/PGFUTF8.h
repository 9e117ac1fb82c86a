// Strict UTF-8 decoding for the writers: the documents they write must be
// readable again, and libxml2's own decoder lets malformed sequences through.
#pragma once

// Decodes the code point at `at` and advances past it. Answers -1 (and
// advances one byte) for a byte sequence that is not UTF-8: stray or missing
// continuation bytes, overlong forms, surrogates, values past U+10FFFF.
int PGFNextCodePoint(const unsigned char*& at);

// True when the whole null-terminated `text` is UTF-8.
bool PGFIsUTF8(const char* text);
