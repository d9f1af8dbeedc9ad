# cmake -DOUT=file -DIN="a;b;c" -P Concat.cmake: joins text files, one after the other.
cmake_minimum_required(VERSION 3.25)
file(WRITE ${OUT} "")
foreach(f ${IN})
  file(READ ${f} _text)
  file(APPEND ${OUT} "${_text}\n")
endforeach()
