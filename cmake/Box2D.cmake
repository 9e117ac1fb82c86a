# Box2D 2.4.1 from Debian's source package, with our user settings: plain
# pointer user data and an assertion that throws b2Exception instead of
# aborting, so the physics module can report misuse and go on.
set(KV_BOX2D_SRC "${KV_DEPS_DIR}/box2d")
if(NOT EXISTS "${KV_BOX2D_SRC}/include/box2d/b2_common.h")
  message(FATAL_ERROR "Box2D sources not found in ${KV_BOX2D_SRC}: run scripts/setup")
endif()

set(KV_BOX2D_INC "${CMAKE_BINARY_DIR}/box2d/include")
file(COPY "${KV_BOX2D_SRC}/include/box2d" DESTINATION "${KV_BOX2D_INC}")
configure_file("${CMAKE_SOURCE_DIR}/cmake/box2d/b2_user_settings.h"
  "${KV_BOX2D_INC}/box2d/b2_user_settings.h" COPYONLY)

# b2_common.h defines b2Assert unconditionally; let the user settings win.
set(_b2_common "${KV_BOX2D_INC}/box2d/b2_common.h")
file(READ "${_b2_common}" _text)
set(_line "#define b2Assert(A) assert(A)")
string(FIND "${_text}" "${_line}" _at)
if(_at EQUAL -1)
  message(FATAL_ERROR "Box2D: '${_line}' not found in b2_common.h; cannot install the throwing assertion")
endif()
string(REPLACE "${_line}" "#ifndef b2Assert\n${_line}\n#endif" _text "${_text}")
file(WRITE "${_b2_common}" "${_text}")

file(GLOB_RECURSE _box2d_sources "${KV_BOX2D_SRC}/src/*.cpp")
add_library(kvbox2d STATIC ${_box2d_sources} "${CMAKE_SOURCE_DIR}/cmake/box2d/b2_user_settings.cpp")
target_include_directories(kvbox2d PUBLIC "${KV_BOX2D_INC}" PRIVATE "${KV_BOX2D_SRC}/src")
target_compile_definitions(kvbox2d PUBLIC B2_USER_SETTINGS)
target_compile_options(kvbox2d PRIVATE -w)
