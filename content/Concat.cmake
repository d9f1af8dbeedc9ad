# cmake -DOUT=file -DIN="a;b;c" -P Concat.cmake: joins text database sources into one.
# Lines before a source's first key line are its comments; they are left out, since in
# the joined file they would become lines of the previous source's last value.
cmake_minimum_required(VERSION 3.25)
file(WRITE ${OUT} "")
foreach(f ${IN})
  file(READ ${f} _text)
  string(FIND "${_text}" "@@ " _at)
  if(_at GREATER 0)
    string(FIND "${_text}" "\n@@ " _at)
    if(_at LESS 0)
      message(FATAL_ERROR "${f}: no record")
    endif()
    math(EXPR _at "${_at} + 1")
  endif()
  string(SUBSTRING "${_text}" ${_at} -1 _text)
  file(APPEND ${OUT} "${_text}\n")
endforeach()
