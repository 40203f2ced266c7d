# What `cmake --install` puts where; the Debian package (debian/rules) is
# this installation with the program in games/ and the prefix /usr.
#
#   bin/vantaro                                     CMAKE_INSTALL_BINDIR: games in the package
#   share/vantaro/Images/, share/vantaro/Sounds/     found as ../share/vantaro beside the program
#   share/applications/org.vantaro.Vantaro.desktop
#   share/metainfo/org.vantaro.Vantaro.metainfo.xml
#   share/icons/hicolor/NxN/apps/vantaro.png        N = 16, 32, 48, 128, 256
#   share/man/man6/vantaro.6                        compressed by dh_compress in the package
#   share/doc/vantaro/copyright                     the licence, in Debian's machine-readable form
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

install(TARGETS vantaro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
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
install(FILES ${PROJECT_SOURCE_DIR}/debian/copyright DESTINATION share/doc/vantaro)
