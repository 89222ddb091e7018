# embed_resources.cmake: turns the resource library's data files into C++.
#
# Run as a script (cmake -P) with
#   STRINGS   strings.tsv: a header line, then "id<TAB>text" lines (UTF-8).
#             The text is written as in a C string: \n, \r, \t, \\ and \"
#             are escapes, any other character stands for itself. Lines
#             starting with "#" and empty lines are skipped.
#   IMAGES    images.tsv: a header line, then "id<TAB>kind<TAB>file<TAB>what"
#             lines; kind is bitmap, icon or cursor, file a .bmp file
#             relative to IMAGE_DIR.
#   IMAGE_DIR the folder of the .bmp files.
#   OUT       the C++ file to write: the data and the exported directory.
cmake_minimum_required(VERSION 3.20)

# Reads a tab-separated file into a list of lines in which ";" and the
# brackets (list syntax for CMake) are replaced by markers.
function(read_table file out)
  file(READ "${file}" content ENCODING UTF-8)
  string(REPLACE "\r" "" content "${content}")
  string(REPLACE ";" "@SEMI@" content "${content}")
  string(REPLACE "[" "@LBR@" content "${content}")
  string(REPLACE "]" "@RBR@" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

function(restore_marks text out)
  string(REPLACE "@SEMI@" ";" text "${text}")
  string(REPLACE "@LBR@" "[" text "${text}")
  string(REPLACE "@RBR@" "]" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(body "")
set(entries "")
set(seen_ids "")
set(count 0)

# ---- strings ----
read_table("${STRINGS}" lines)
set(first TRUE)
set(lineno 0)
foreach(line IN LISTS lines)
  math(EXPR lineno "${lineno} + 1")
  if(first)
    set(first FALSE)
    continue()
  endif()
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(NOT line MATCHES "^([0-9]+)\t(.*)$")
    message(FATAL_ERROR "${STRINGS}:${lineno}: expected id<TAB>text")
  endif()
  set(id "${CMAKE_MATCH_1}")
  set(text "${CMAKE_MATCH_2}")
  if(id LESS 20000 OR id GREATER 64000)
    message(FATAL_ERROR "${STRINGS}:${lineno}: string id ${id} outside 20000..64000")
  endif()
  if("s${id}" IN_LIST seen_ids)
    message(FATAL_ERROR "${STRINGS}:${lineno}: string id ${id} given twice")
  endif()
  list(APPEND seen_ids "s${id}")
  # A raw quote ends a C string: escape the quotes that are not escapes.
  string(REGEX REPLACE "(^|[^\\\\])\"" "\\1\\\\\"" text "${text}")
  string(REGEX REPLACE "(^|[^\\\\])\"" "\\1\\\\\"" text "${text}")
  restore_marks("${text}" text)
  string(APPEND body "const char16_t k_s${id}[] = u\"${text}\";\n")
  string(APPEND entries "    {PLATRES_TYPE_STRING, ${id}, sizeof(k_s${id}) - 2, k_s${id}},\n")
  math(EXPR count "${count} + 1")
endforeach()

# ---- images ----
read_table("${IMAGES}" lines)
set(first TRUE)
set(lineno 0)
foreach(line IN LISTS lines)
  math(EXPR lineno "${lineno} + 1")
  if(first)
    set(first FALSE)
    continue()
  endif()
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(NOT line MATCHES "^([0-9]+)\t(bitmap|icon|cursor)\t([^\t]+)(\t.*)?$")
    message(FATAL_ERROR "${IMAGES}:${lineno}: expected id<TAB>bitmap|icon|cursor<TAB>file<TAB>what")
  endif()
  set(id "${CMAKE_MATCH_1}")
  set(kind "${CMAKE_MATCH_2}")
  set(file "${IMAGE_DIR}/${CMAKE_MATCH_3}")
  if(kind STREQUAL "bitmap")
    set(type PLATRES_TYPE_BITMAP)
  elseif(kind STREQUAL "icon")
    set(type PLATRES_TYPE_ICON)
  else()
    set(type PLATRES_TYPE_CURSOR)
  endif()
  if("${kind}${id}" IN_LIST seen_ids)
    message(FATAL_ERROR "${IMAGES}:${lineno}: ${kind} ${id} given twice")
  endif()
  list(APPEND seen_ids "${kind}${id}")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${IMAGES}:${lineno}: ${file} is missing")
  endif()
  # The resource is the packed DIB: the .bmp file less its 14-byte header.
  file(READ "${file}" magic LIMIT 2 HEX)
  if(NOT magic STREQUAL "424d")
    message(FATAL_ERROR "${file} is not a BMP file")
  endif()
  file(READ "${file}" hex OFFSET 14 HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n    " hex "${hex}")
  string(APPEND body "const unsigned char k_${kind}${id}[] = {\n    ${hex}};\n")
  string(APPEND entries "    {${type}, ${id}, sizeof(k_${kind}${id}), k_${kind}${id}},\n")
  math(EXPR count "${count} + 1")
endforeach()

set(out_text "// Generated from strings.tsv and images.tsv by embed_resources.cmake; do not edit.
#include \"platform/kernel/resource.h\"

namespace {

${body}
const PLATRESENTRY k_entries[] = {
${entries}};

}  // namespace

static_assert(sizeof(k_entries) / sizeof(k_entries[0]) == ${count});

// The directory the loader finds by name in this library.
Q730_EXPORT const PLATRESDIR q730_resources = {PLATRES_MAGIC, PLATRES_VERSION, ${count}, k_entries};
")
# Rewrite only on change, so that a reconfigure does not rebuild the library.
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
  if(old STREQUAL out_text)
    return()
  endif()
endif()
file(WRITE "${OUT}" "${out_text}")
