# Run by cpack after it has made the Debian package (CPACK_POST_BUILD_SCRIPTS,
# cmake/Install.cmake). CMake 3.25's DEB generator stamps the ar members, the
# tar entries and the gzip headers with the time of packaging, so no two runs
# give the same bytes. This takes the package apart and makes it again with
# dpkg-deb from the same files:
#   - every file and folder dated SOURCE_DATE_EPOCH: from the environment, else
#     the last commit's time, else the date of resources/debian/changelog;
#   - folders and programs 0755, other files 0644, all owned by root;
#   - the compiler's .comment taken from the programs, as dh_strip does, and
#     md5sums written again to match;
#   - dpkg-deb --build --root-owner-group, which sorts the entries and takes
#     the ar member times from SOURCE_DATE_EPOCH.

set(debs ${CPACK_PACKAGE_FILES})
list(FILTER debs INCLUDE REGEX "\\.deb$")  # not the source archives
if(NOT debs)
  return()
endif()

set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  execute_process(COMMAND git -C ${CPACK_VANTARO_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  execute_process(COMMAND dpkg-parsechangelog -l ${CPACK_VANTARO_SOURCE_DIR}/resources/debian/changelog
    -S Timestamp OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "repack: no SOURCE_DATE_EPOCH, commit or changelog date to date the package with")
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "repack: ${ARGN} failed: ${status}")
  endif()
endfunction()

foreach(deb IN LISTS debs)
  set(tree ${CPACK_TOPLEVEL_DIRECTORY}/repack)
  file(REMOVE_RECURSE ${tree})
  run(dpkg-deb --raw-extract ${deb} ${tree})

  file(GLOB programs ${tree}/usr/games/* ${tree}/usr/bin/*)
  foreach(program IN LISTS programs)
    run(${CPACK_VANTARO_STRIP} --remove-section=.comment --remove-section=.note ${program})
  endforeach()

  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/usr/*)
  list(SORT files)
  set(md5sums "")
  foreach(f IN LISTS files)
    file(MD5 ${tree}/${f} sum)
    string(APPEND md5sums "${sum}  ${f}\n")
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${md5sums}")

  run(find ${tree} -type d -exec chmod 0755 {} +)
  run(find ${tree} -type f -perm /u+x -exec chmod 0755 {} +)
  run(find ${tree} -type f ! -perm /u+x -exec chmod 0644 {} +)
  run(find ${tree} -exec touch --no-dereference --date=@${epoch} {} +)
  file(REMOVE ${deb})
  run(${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch}
    dpkg-deb --root-owner-group -Zxz --build ${tree} ${deb})
  file(REMOVE_RECURSE ${tree})
endforeach()
