# zlib and libpng for the builds that cannot take the system's (the browser
# build, the Windows build): compiled here from the Debian source packages
# that ./dev web and ./dev windows fetch into VANTARO_DEP_SOURCES, the same
# versions the desktop links, so that a frame makes the same PNG bytes in
# every build. Only what the game uses is built.
set(zlib_dir ${VANTARO_DEP_SOURCES}/zlib)
add_library(dep_zlib STATIC
  ${zlib_dir}/adler32.c ${zlib_dir}/compress.c ${zlib_dir}/crc32.c ${zlib_dir}/deflate.c
  ${zlib_dir}/inffast.c ${zlib_dir}/inflate.c ${zlib_dir}/inftrees.c ${zlib_dir}/trees.c
  ${zlib_dir}/uncompr.c ${zlib_dir}/zutil.c)
target_include_directories(dep_zlib SYSTEM PUBLIC ${zlib_dir})
target_compile_options(dep_zlib PRIVATE -w)

set(png_dir ${VANTARO_DEP_SOURCES}/libpng)
configure_file(${png_dir}/scripts/pnglibconf.h.prebuilt ${CMAKE_BINARY_DIR}/deps/pnglibconf.h COPYONLY)
add_library(dep_png STATIC
  ${png_dir}/png.c ${png_dir}/pngerror.c ${png_dir}/pngget.c ${png_dir}/pngmem.c ${png_dir}/pngpread.c
  ${png_dir}/pngread.c ${png_dir}/pngrio.c ${png_dir}/pngrtran.c ${png_dir}/pngrutil.c ${png_dir}/pngset.c
  ${png_dir}/pngtrans.c ${png_dir}/pngwio.c ${png_dir}/pngwrite.c ${png_dir}/pngwtran.c ${png_dir}/pngwutil.c)
target_include_directories(dep_png SYSTEM PUBLIC ${png_dir} ${CMAKE_BINARY_DIR}/deps)
target_link_libraries(dep_png PUBLIC dep_zlib)
target_compile_options(dep_png PRIVATE -w)
add_library(PNG::PNG ALIAS dep_png)
