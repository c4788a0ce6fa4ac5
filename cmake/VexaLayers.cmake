# Each folder of the tree is one library, and a library sees only the headers of itself and of
# the libraries it links: there is no include root shared by all. A folder's headers keep their
# path from the source root ("engine/protocol/command_channel.h"), reached through links in
# the build tree that vexa_expose_headers makes for that folder's headers alone, so a layer
# cannot include a header of a layer above it, nor of a sub-folder it does not link.

# Exposes the headers of the current folder (not those of its sub-folders, which are targets
# of their own) to target and to every target that links it; with RECURSE, those of the whole
# sub-tree (the tests, which are one target).
function(vexa_expose_headers target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "RECURSE" "" "")
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  if(arg_RECURSE)
    file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  else()
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  endif()
  foreach(header IN LISTS headers)
    file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${header})
    get_filename_component(directory ${root}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${directory})
    file(CREATE_LINK ${header} ${root}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# A library of the current folder's sources, exposing its headers.
function(vexa_library target)
  add_library(${target} ${ARGN})
  vexa_expose_headers(${target})
endfunction()
