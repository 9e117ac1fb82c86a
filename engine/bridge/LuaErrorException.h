// A Lua error caught by the Lua state wrapper, carried to native callers as a
// C++ exception: the Lua message and, when the message handler ran, the
// stack trace with the locals of every Lua frame.
#pragma once

#include <optional>
#include <string>

#include "platform/objects/KVObjectException.h"

class LuaErrorException : public KVObjectException {
public:
    static constexpr const char* Name = "Lua Error";

    LuaErrorException(std::string luaError, std::optional<std::string> luaStackTrace);

    const std::string& luaError() const { return luaError_; }
    // Absent when the error happened outside a protected call (the panic
    // handler) or before the chunk could run (it did not compile).
    const std::optional<std::string>& luaStackTrace() const { return luaStackTrace_; }

    // The message, then a newline and the trace when there is one.
    std::string reason() const override;

private:
    std::string luaError_;
    std::optional<std::string> luaStackTrace_;
};
