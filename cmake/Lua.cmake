# Lua 5.1.5 from Debian's source package, built as C++ (so lua_error unwinds
# with an exception and destructors in native functions run) with a 32-bit
# float as its number type, as published engine scripts are precompiled.
set(KV_LUA_SRC "${KV_DEPS_DIR}/lua5.1/src")
if(NOT EXISTS "${KV_LUA_SRC}/lua.h")
  message(FATAL_ERROR "Lua sources not found in ${KV_LUA_SRC}: run scripts/setup")
endif()

set(KV_LUA_DIR "${CMAKE_BINARY_DIR}/lua")
file(GLOB _lua_files "${KV_LUA_SRC}/*.c" "${KV_LUA_SRC}/*.h")
file(COPY ${_lua_files} DESTINATION "${KV_LUA_DIR}")
# luaconf.h defines its macros unconditionally, so it is wrapped, not configured.
file(RENAME "${KV_LUA_DIR}/luaconf.h" "${KV_LUA_DIR}/luaconf_base.h")
configure_file("${CMAKE_SOURCE_DIR}/cmake/lua/luaconf.h" "${KV_LUA_DIR}/luaconf.h" COPYONLY)
file(WRITE "${KV_LUA_DIR}/lua5.1-deb-multiarch.h.in"
  "#define DEB_HOST_MULTIARCH \"${CMAKE_LIBRARY_ARCHITECTURE}\"\n")
configure_file("${KV_LUA_DIR}/lua5.1-deb-multiarch.h.in" "${KV_LUA_DIR}/lua5.1-deb-multiarch.h" COPYONLY)

set(_lua_core lapi lcode ldebug ldo ldump lfunc lgc llex lmem lobject lopcodes
    lparser lstate lstring ltable ltm lundump lvm lzio
    lauxlib lbaselib ldblib liolib lmathlib loslib ltablib lstrlib loadlib linit)
set(_lua_sources "")
foreach(_f IN LISTS _lua_core)
  list(APPEND _lua_sources "${KV_LUA_DIR}/${_f}.c")
endforeach()
set_source_files_properties(${_lua_sources} "${KV_LUA_DIR}/luac.c" "${KV_LUA_DIR}/print.c"
  PROPERTIES LANGUAGE CXX)

add_library(kvlua STATIC ${_lua_sources} "${CMAKE_SOURCE_DIR}/cmake/lua/luanumber.cpp")
target_include_directories(kvlua PUBLIC "${KV_LUA_DIR}")
target_compile_definitions(kvlua PUBLIC LUA_USE_POSIX PRIVATE LUA_USE_DLOPEN)
target_compile_options(kvlua PRIVATE -w)
target_link_libraries(kvlua PUBLIC m ${CMAKE_DL_LIBS})

# The precompiler game authors use; same configuration, so its chunks load here.
add_executable(kvluac "${KV_LUA_DIR}/luac.c" "${KV_LUA_DIR}/print.c")
target_compile_options(kvluac PRIVATE -w)
target_link_libraries(kvluac PRIVATE kvlua)
set_target_properties(kvluac PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
