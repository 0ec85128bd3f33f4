# Turns a file into a C++ function that returns its bytes, so that the logic
# can use a picture stored with the program without any toolkit.
#
#   zorvane_embed_file(<output variable> INPUT <file> HEADER <include path>
#                      NAMESPACE <namespace> FUNCTION <name>)
#
# generates, at build time, <name>.cpp in the current binary folder with
# core::ByteBuffer <namespace>::<name>(), declared in HEADER, and stores its path
# in the output variable for a SOURCES list. It is generated again whenever the
# file changes.
#
# The same file, run as a script (cmake -P), writes one such source.

if(CMAKE_SCRIPT_MODE_FILE)
  file(READ "${INPUT}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  if(hex_length EQUAL 0)
    set(body "    return {};")
  else()
    # Sixteen bytes a line (CMake's expressions know no {n}).
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REPEAT "0x..," 16 line)
    string(REGEX REPLACE "(${line})" "\\1\n        " bytes "${bytes}")
    string(STRIP "${bytes}" bytes)
    set(body "    static constexpr unsigned char bytes[] = {\n        ${bytes}\n    };\n\
    return core::ByteBuffer(std::begin(bytes), std::end(bytes));")
  endif()
  get_filename_component(input_name "${INPUT}" NAME)
  file(WRITE "${OUTPUT}.new"
    "// Generated from ${input_name} by EmbedFile.cmake; edits are overwritten.\n\n"
    "#include \"${HEADER}\"\n\n"
    "#include <iterator>\n\n"
    "namespace ${NAMESPACE} {\n\n"
    "core::ByteBuffer ${FUNCTION}() {\n${body}\n}\n\n"
    "} // namespace ${NAMESPACE}\n")
  file(RENAME "${OUTPUT}.new" "${OUTPUT}")
  return()
endif()

set(ZORVANE_EMBED_FILE_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

function(zorvane_embed_file output_variable)
  cmake_parse_arguments(ARG "" "INPUT;HEADER;NAMESPACE;FUNCTION" "" ${ARGN})
  foreach(required INPUT HEADER NAMESPACE FUNCTION)
    if(NOT ARG_${required})
      message(FATAL_ERROR "zorvane_embed_file: ${required} is missing")
    endif()
  endforeach()
  get_filename_component(input "${ARG_INPUT}" ABSOLUTE)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/${ARG_FUNCTION}.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}"
      "-DINPUT=${input}" "-DOUTPUT=${output}" "-DHEADER=${ARG_HEADER}"
      "-DNAMESPACE=${ARG_NAMESPACE}" "-DFUNCTION=${ARG_FUNCTION}"
      -P "${ZORVANE_EMBED_FILE_SCRIPT}"
    DEPENDS "${input}" "${ZORVANE_EMBED_FILE_SCRIPT}"
    COMMENT "Embedding ${ARG_INPUT}"
    VERBATIM)
  set(${output_variable} "${output}" PARENT_SCOPE)
endfunction()
