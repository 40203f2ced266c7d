# The settings of the build the Debian package is made from, loaded with
# `cmake -C` by ./dev package and tests/package_test.sh: optimised, without
# the generators, and with the compiler and linker flags of dpkg-buildflags
# --get, every hardening feature on (stack protector, fortify, relro,
# bindnow). Run in the source folder, dpkg-buildflags maps that folder to "."
# in the file names the compiler records. The project's -Wall -Wextra stay.
get_filename_component(source ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
foreach(name CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all $ENV{DEB_BUILD_MAINT_OPTIONS}"
      dpkg-buildflags --get ${name}
    WORKING_DIRECTORY ${source} OUTPUT_VARIABLE ${name} OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
set(VANTARO_TOOLS OFF CACHE STRING "Build the art and sound generators" FORCE)
set(CMAKE_C_FLAGS "${CPPFLAGS} ${CFLAGS}" CACHE STRING "dpkg-buildflags' CPPFLAGS and CFLAGS" FORCE)
set(CMAKE_CXX_FLAGS "${CPPFLAGS} ${CXXFLAGS}" CACHE STRING "dpkg-buildflags' CPPFLAGS and CXXFLAGS" FORCE)
set(CMAKE_EXE_LINKER_FLAGS "${LDFLAGS}" CACHE STRING "dpkg-buildflags' LDFLAGS" FORCE)
