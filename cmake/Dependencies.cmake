# System libraries, all from Debian's -dev packages (see scripts/setup).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
# giflib ships no pkg-config file; CMake's own module finds it.
find_package(GIF 5 REQUIRED)

pkg_check_modules(KV_PLATFORM_PKGS REQUIRED IMPORTED_TARGET
  sdl2 SDL2_image egl opengl gl glu x11
  cairo pango pangocairo pangoft2 fontconfig libplist-2.0
  openal sndfile libavformat libavcodec libswresample libswscale libavutil icu-i18n icu-uc
  libtiff-4 libicns libopenjp2 poppler-glib lcms2 stb zlib)

pkg_check_modules(KV_ENGINE_PKGS REQUIRED IMPORTED_TARGET
  sqlite3 expat libxml-2.0 yajl minizip zlib vorbisfile openal gl glu)

add_library(kvdeps_platform INTERFACE)
target_link_libraries(kvdeps_platform INTERFACE PkgConfig::KV_PLATFORM_PKGS GIF::GIF ${CMAKE_DL_LIBS})

add_library(kvdeps_engine INTERFACE)
target_link_libraries(kvdeps_engine INTERFACE PkgConfig::KV_ENGINE_PKGS)
