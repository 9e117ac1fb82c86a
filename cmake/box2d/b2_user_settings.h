// Box2D user settings of the Kelvane player.
#ifndef KV_B2_USER_SETTINGS_H
#define KV_B2_USER_SETTINGS_H

#include <stdarg.h>
#include <stdint.h>

#define b2_lengthUnitsPerMeter 1.0f
#define b2_maxPolygonVertices 8

struct b2BodyUserData { void* pointer = nullptr; };
struct b2FixtureUserData { void* pointer = nullptr; };
struct b2JointUserData { void* pointer = nullptr; };

void* b2Alloc_Default(int32_t size);
void b2Free_Default(void* mem);
void b2Log_Default(const char* string, va_list args);

inline void* b2Alloc(int32_t size) { return b2Alloc_Default(size); }
inline void b2Free(void* mem) { b2Free_Default(mem); }

inline void b2Log(const char* string, ...)
{
    va_list args;
    va_start(args, string);
    b2Log_Default(string, args);
    va_end(args);
}

// A failed Box2D assertion. The strings are static (the assertion's text and
// the source file), so copies are cheap and never dangle.
class b2Exception {
public:
    b2Exception(const char* expression, const char* file, int line)
        : expression(expression), file(file), line(line) {}

    const char* expression;
    const char* file;
    int line;
};

// Out of line so that the many inline assertions stay small.
[[noreturn]] void b2ThrowAssertion(const char* expression, const char* file, int line);

#define b2Assert(A) ((A) ? (void)0 : b2ThrowAssertion(#A, __FILE__, __LINE__))

#endif
