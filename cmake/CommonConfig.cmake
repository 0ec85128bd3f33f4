# One INTERFACE target carries the language standard, warnings and the text
# encoding; every target of the project links it.
add_library(zorvane_common INTERFACE)
add_library(zorvane::common ALIAS zorvane_common)

target_compile_features(zorvane_common INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

option(ZORVANE_WARNINGS_AS_ERRORS "Treat warnings as errors" OFF)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(zorvane_common INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
  if(ZORVANE_WARNINGS_AS_ERRORS)
    target_compile_options(zorvane_common INTERFACE -Werror)
  endif()
elseif(MSVC)
  target_compile_options(zorvane_common INTERFACE /W4 /utf-8)
endif()

# The program's texts are GBK bytes, but its sources are UTF-8. Narrow string
# literals of the logic are therefore compiled to GBK ("保存成功！" becomes the
# bytes the screen layer expects); u8"" literals stay UTF-8. The setting is
# private to each target: the Qt layer keeps UTF-8 literals, since they feed Qt
# directly. So a header that both sides include holds no non-ASCII literal.
add_library(zorvane_gbk_literals INTERFACE)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(zorvane_gbk_literals INTERFACE -finput-charset=UTF-8 -fexec-charset=GBK)
elseif(MSVC)
  target_compile_options(zorvane_gbk_literals INTERFACE /source-charset:utf-8 /execution-charset:.936)
elseif(NOT ZORVANE_BUILD_FUZZERS)
  message(FATAL_ERROR "Zorvane's texts need a compiler that can write GBK string literals (GCC or MSVC); "
                      "clang is used only for the fuzz targets (ZORVANE_BUILD_FUZZERS=ON).")
endif()

# Adds a library for one source folder: zorvane_add_library(name SOURCES ...
# [PUBLIC_LIBS ...] [PRIVATE_LIBS ...] [UTF8_LITERALS]).
function(zorvane_add_library name)
  cmake_parse_arguments(ARG "UTF8_LITERALS" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(zorvane::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC zorvane_common ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  if(NOT ARG_UTF8_LITERALS)
    target_link_libraries(${name} PRIVATE zorvane_gbk_literals)
  endif()
endfunction()

# Adds a libFuzzer target: zorvane_add_fuzzer(name SOURCES ... LIBS ...). Only
# clang builds them (the `fuzz` preset); tools/fuzz.sh runs them.
function(zorvane_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zorvane_common ${ARG_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY ZORVANE_FUZZERS ${name})
endfunction()
