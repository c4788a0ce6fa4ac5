# vexa_unity_sources(TARGET BATCH): compiles the target's .cpp sources as unity files of BATCH
# sources each, which roughly halves the compile time of a test executable whose files share
# GoogleTest and the project's headers. CMake's own UNITY_BUILD (before 3.32) names each source
# by its absolute path, so two clones of the tree would write different unity files and miss
# each other's compiler cache; these files name each source relative to themselves instead.
function(vexa_unity_sources target batch)
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  set(unity_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_unity)
  list(LENGTH sources total)
  set(done 0)
  set(content "")
  set(unity_files "")
  foreach(source IN LISTS sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
    file(RELATIVE_PATH relative ${unity_dir} ${source})
    string(APPEND content "#include \"${relative}\"\n")
    set_source_files_properties(${source} PROPERTIES HEADER_FILE_ONLY ON)
    math(EXPR done "${done} + 1")
    math(EXPR batch_end "${done} % ${batch}")
    if(batch_end EQUAL 0 OR done EQUAL total)
      math(EXPR index "(${done} - 1) / ${batch}")
      set(unity_file ${unity_dir}/unity_${index}.cpp)
      # Written only when its text changes, so that a reconfigure rebuilds nothing.
      file(CONFIGURE OUTPUT ${unity_file} CONTENT "${content}")
      list(APPEND unity_files ${unity_file})
      set(content "")
    endif()
  endforeach()
  target_sources(${target} PRIVATE ${unity_files})
endfunction()
