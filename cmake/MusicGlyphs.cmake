# Writes the header that names every character code of the music font, from
# the font's glyph table: a code is named after the outlines it is made of
# (the names in brackets of its source, joined when it combines several),
# or after its meaning when the font generator draws it itself. After a
# change of the table, run from the top folder
#
#   cmake -P cmake/MusicGlyphs.cmake
#
# and commit both (a test of the platform folder fails while they differ).
# TABLE and HEADER may be given with -D.
cmake_minimum_required(VERSION 3.25)
if(NOT TABLE)
  set(TABLE "${CMAKE_CURRENT_LIST_DIR}/../resources/fonts/quavero-glyphs.tsv")
endif()
if(NOT HEADER)
  set(HEADER "${CMAKE_CURRENT_LIST_DIR}/../src/platform/musicglyphs.h")
endif()

# "dynamicPiano" -> "DynamicPiano"; "glissando line rising" -> "GlissandoLineRising"
function(qs_glyph_camel text out)
  string(REGEX REPLACE "[^A-Za-z0-9]+" ";" words "${text}")
  set(name "")
  foreach(word IN LISTS words)
    if(word STREQUAL "")
      continue()
    endif()
    string(SUBSTRING "${word}" 0 1 first)
    string(SUBSTRING "${word}" 1 -1 rest)
    string(TOUPPER "${first}" first)
    string(APPEND name "${first}${rest}")
  endforeach()
  set(${out} "${name}" PARENT_SCOPE)
endfunction()

function(qs_write_music_glyphs table header)
  file(READ "${table}" text)
  # Semicolons would split CMake lists: meanings keep none.
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  list(POP_FRONT lines)  # the column names
  set(body "")
  set(names "")
  foreach(line IN LISTS lines)
    if(line STREQUAL "")
      continue()
    endif()
    string(REPLACE "\t" ";" fields "${line}")
    list(GET fields 0 code)
    list(GET fields 1 meaning)
    list(GET fields 2 source)
    string(REGEX MATCHALL "\\(([A-Za-z0-9]+)\\)" parts "${source}")
    if(parts)
      string(REPLACE "(" "" parts "${parts}")
      string(REPLACE ")" "" parts "${parts}")
      string(REPLACE ";" " " parts "${parts}")
      qs_glyph_camel("${parts}" name)
    else()
      string(REGEX REPLACE "[,(].*" "" words "${meaning}")
      qs_glyph_camel("${words}" name)
    endif()
    if(name IN_LIST names)
      message(FATAL_ERROR "${table}: two codes would be named ${name}")
    endif()
    list(APPEND names ${name})
    string(APPEND body "constexpr uint8_t ${name} = ${code};  // ${meaning}\n")
  endforeach()
  set(content "#pragma once
// The character codes of the program's music font, one name each. Written
// by cmake/MusicGlyphs.cmake from resources/fonts/quavero-glyphs.tsv: change
// the table and run it again, rather than editing this file.
#include <cstdint>

namespace qs::glyphs {

${body}
}  // namespace qs::glyphs
")
  file(CONFIGURE OUTPUT "${header}" CONTENT "${content}" @ONLY)
endfunction()

qs_write_music_glyphs("${TABLE}" "${HEADER}")
