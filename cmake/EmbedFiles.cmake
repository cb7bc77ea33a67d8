# vx_embed_files(<target> FUNCTION <qualified function> FILES <files...>)
# Compiles the files into <target> as byte arrays, found by file name through
#   std::span<const uint8_t> <function>(std::string_view name)   (empty when unknown).
# The program declares that function in a header of its own.
function(vx_embed_files target)
  cmake_parse_arguments(ARG "" "FUNCTION" "FILES" ${ARGN})
  string(REPLACE ";" "|" files "${ARG_FILES}")
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_embedded.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DFUNCTION=${ARG_FUNCTION} "-DFILES=${files}"
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFilesScript.cmake
    DEPENDS ${ARG_FILES} ${PROJECT_SOURCE_DIR}/cmake/EmbedFilesScript.cmake
    COMMENT "Embedding resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
