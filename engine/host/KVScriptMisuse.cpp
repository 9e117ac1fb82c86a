#include "engine/host/KVScriptMisuse.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

std::string formatted(const char* format, va_list arguments)
{
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(&text[0], text.size() + 1, format, arguments);
    return text;
}

}  // namespace

void KVReportMisuse(const char* function, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    // One write, so lines from the render and main threads do not mix.
    const std::string line = std::string(function) + ": " + formatted(format, arguments) + "\n";
    va_end(arguments);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void KVThrowMisuse(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string message = formatted(format, arguments);
    va_end(arguments);
    throw KVScriptMisuse(message);
}
