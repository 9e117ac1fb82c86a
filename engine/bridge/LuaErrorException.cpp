#include "engine/bridge/LuaErrorException.h"

#include <utility>

LuaErrorException::LuaErrorException(std::string luaError, std::optional<std::string> luaStackTrace)
    : KVObjectException(Name, std::string()), luaError_(std::move(luaError)), luaStackTrace_(std::move(luaStackTrace))
{
}

std::string LuaErrorException::reason() const
{
    if (!luaStackTrace_)
        return luaError_;
    return luaError_ + "\n" + *luaStackTrace_;
}
