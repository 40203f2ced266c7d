# Compiles files into the program as resources.
#
# vantaro_embed_resources(<output.cpp> <entry>...) writes <output.cpp> at build
# time. Each entry is "file|type|name|skip": the file's bytes after the first
# <skip> (a bitmap resource has no 14-byte file header), under a numeric
# resource type and a name that is a string or, when it is all digits, a
# number. Entries whose file does not exist are left out: the program then
# finds no such resource.
set(VANTARO_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake)

function(vantaro_embed_resources output)
  set(present)
  set(depends)
  foreach(entry ${ARGN})
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 file)
    if(EXISTS ${file})
      list(APPEND present "${entry}")
      list(APPEND depends ${file})
    endif()
  endforeach()
  string(REPLACE ";" "," joined "${present}")
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} "-DOUTPUT=${output}" "-DENTRIES=${joined}" -P ${VANTARO_EMBED_SCRIPT}
    DEPENDS ${depends} ${VANTARO_EMBED_SCRIPT}
    COMMENT "Embedding resources" VERBATIM)
endfunction()
