// A script's misuse of a native module (a handle of something that no
// longer exists, a value of the wrong kind, a missing argument) is answered
// with one line on standard error, "module.Class.function: why", and the
// call changes nothing: a game keeps running past a slip in one frame.
#pragma once

#include <stdexcept>

void KVReportMisuse(const char* function, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Thrown by argument checks inside a binding whose guard reports it with the
// function's name and answers the neutral values.
class KVScriptMisuse : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A KVScriptMisuse whose message is formatted like printf.
[[noreturn]] void KVThrowMisuse(const char* format, ...) __attribute__((format(printf, 1, 2)));
