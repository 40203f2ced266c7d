# What `cmake --install` puts where, and the Debian package CPack makes of it.
#
#   bin/vantaro
#   share/vantaro/Images/, share/vantaro/Sounds/     found as ../share/vantaro beside the program
#   share/applications/org.vantaro.Vantaro.desktop
#   share/metainfo/org.vantaro.Vantaro.metainfo.xml
#   share/icons/hicolor/NxN/apps/vantaro.png        N = 16, 32, 48, 128, 256
#   share/man/man6/vantaro.6
#   share/doc/vantaro/copyright
#
# The folders are fixed rather than taken from GNUInstallDirs: the program
# finds its pictures and sounds relative to itself (shell/paths.cpp), so bin/
# and share/ must stay side by side under one prefix.

set(VANTARO_APP_ID org.vantaro.Vantaro)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS vantaro RUNTIME DESTINATION bin)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Images ${PROJECT_SOURCE_DIR}/Sounds
  DESTINATION share/vantaro
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${VANTARO_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${VANTARO_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 32 48 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icon${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME vantaro.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/docs/vantaro.6 DESTINATION share/man/man6)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/vantaro RENAME copyright)

# cpack -G DEB (./dev package): vantaro_VERSION-1_ARCH.deb, installing into
# /usr, its library dependencies worked out by dpkg-shlibdeps (which needs
# dpkg-dev and file).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vantaro developers")
set(CPACK_PACKAGE_CONTACT "The Vantaro developers <maintainers@vantaro.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pub fruit machine game")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
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
# A source archive (package_source) of the tree without its builds.
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/\\\\.cache/")
include(CPack)
