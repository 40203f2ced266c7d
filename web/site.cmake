# Run after each build of the site: writes the service worker from its
# template with the list of the site's files and a version made of their
# contents. cmake -DSITE=... -DTEMPLATE=... -P site.cmake
file(GLOB files RELATIVE ${SITE} ${SITE}/*.html ${SITE}/*.css ${SITE}/*.js ${SITE}/*.wasm ${SITE}/*.data
  ${SITE}/*.webmanifest ${SITE}/icons/icon32.png)
list(REMOVE_ITEM files service-worker.js)
list(SORT files)
set(digests "")
set(list "'./'")
foreach(name ${files})
  file(SHA256 ${SITE}/${name} digest)
  string(APPEND digests "${digest}")
  string(APPEND list ", './${name}'")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 SITE_VERSION)
set(SITE_FILES "${list}")
configure_file(${TEMPLATE} ${SITE}/service-worker.js @ONLY)
