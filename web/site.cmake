# Run after each build of the site: writes the service worker from its
# template with the files a visit needs (the page's own icon, not the larger
# ones an installation takes), each with the SHA-256 digest of its bytes,
# and a version made of them all. cmake -DSITE=... -DTEMPLATE=... -P site.cmake
file(GLOB files RELATIVE ${SITE} ${SITE}/*.html ${SITE}/*.css ${SITE}/*.js ${SITE}/*.wasm ${SITE}/*.data
  ${SITE}/*.webmanifest ${SITE}/icons/icon32.png)
list(REMOVE_ITEM files service-worker.js)
list(SORT files)
set(digests "")
set(list "")
foreach(name ${files})
  file(SHA256 ${SITE}/${name} digest)
  string(APPEND digests "${digest}")
  string(APPEND list "\n  ['./${name}', '${digest}'],")
  # The site's own address is its page.
  if(name STREQUAL "index.html")
    string(APPEND list "\n  ['./', '${digest}'],")
  endif()
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 SITE_VERSION)
set(SITE_FILES "${list}\n")
configure_file(${TEMPLATE} ${SITE}/service-worker.js @ONLY)
