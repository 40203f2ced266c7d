# What `cmake --install` puts where, and the Debian package CPack makes of it.
#
#   bin/vantaro                                     games/vantaro in the package
#   share/vantaro/Images/, share/vantaro/Sounds/     found as ../share/vantaro beside the program
#   share/applications/org.vantaro.Vantaro.desktop
#   share/metainfo/org.vantaro.Vantaro.metainfo.xml
#   share/icons/hicolor/NxN/apps/vantaro.png        N = 16, 32, 48, 128, 256
#   share/man/man6/vantaro.6.gz
#   share/doc/vantaro/copyright                     and changelog.Debian.gz in the package
#   share/lintian/overrides/vantaro                 in the package only
#
# The program's folder is GNUInstallDirs' CMAKE_INSTALL_BINDIR, the rest is
# fixed: the program finds its pictures and sounds relative to itself
# (shell/paths.cpp), so its folder and share/ must stay side by side under
# one prefix.

include(GNUInstallDirs)
if(NOT CMAKE_INSTALL_BINDIR MATCHES "^[^/]+$")
  message(FATAL_ERROR "CMAKE_INSTALL_BINDIR is '${CMAKE_INSTALL_BINDIR}': the program looks for "
    "../share/vantaro beside itself, so it must be one folder right under the prefix")
endif()

set(VANTARO_APP_ID org.vantaro.Vantaro)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The manual page and the Debian changelog, compressed as Debian wants them:
# gzip -9n keeps neither a name nor a time, so the bytes depend on the text alone.
find_program(VANTARO_GZIP gzip REQUIRED)
set(compressed)
foreach(pair "docs/vantaro.6|vantaro.6" "resources/debian/changelog|changelog.Debian")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 name)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${from} ${PROJECT_BINARY_DIR}/${name}
    COMMAND ${VANTARO_GZIP} -9nf ${PROJECT_BINARY_DIR}/${name}
    DEPENDS ${PROJECT_SOURCE_DIR}/${from} VERBATIM)
  list(APPEND compressed ${PROJECT_BINARY_DIR}/${name}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})

# The program: in bin/ for a plain installation; the package installs the
# "debian" component instead: Debian Policy keeps games in /usr/games.
install(TARGETS vantaro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(TARGETS vantaro RUNTIME DESTINATION games COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_BINARY_DIR}/changelog.Debian.gz DESTINATION share/doc/vantaro
  COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/lintian-overrides DESTINATION share/lintian/overrides
  RENAME vantaro COMPONENT debian EXCLUDE_FROM_ALL)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/Images ${PROJECT_SOURCE_DIR}/Sounds
  DESTINATION share/vantaro
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${VANTARO_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${VANTARO_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 32 48 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icon${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME vantaro.png)
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/vantaro.6.gz DESTINATION share/man/man6)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright DESTINATION share/doc/vantaro)

# cpack -G DEB (./dev package): vantaro_VERSION-1_ARCH.deb, installing into
# /usr, its library dependencies worked out by dpkg-shlibdeps (which needs
# dpkg-dev and file). resources/debian/repack.cmake then makes it again
# with dpkg-deb, reproducibly.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vantaro developers")
set(CPACK_PACKAGE_CONTACT "The Vantaro developers <maintainers@vantaro.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pub fruit machine game")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_CMAKE_PROJECTS
  ${PROJECT_BINARY_DIR} vantaro Unspecified /
  ${PROJECT_BINARY_DIR} vantaro debian /)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://vantaro.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION "Vantaro is a pub fruit machine for the desktop: spin four reels, hold and
nudge them, bank a win or gamble it on the doubling ladder, collect, and
put your name in a table of twelve high scores kept from game to game.
It plays with the mouse, a touch screen, the keyboard or a gamepad, and
draws its 240 x 320 machine at a whole-number scale.")
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/resources/debian/repack.cmake)
set(CPACK_VANTARO_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_VANTARO_STRIP ${CMAKE_STRIP})
# A source archive (package_source) of the tree without its builds.
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/\\\\.cache/")
include(CPack)
