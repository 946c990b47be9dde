# Writes the page's shell: src/web/page.html with the program's icon in it as a data URI, so
# that the browser asks for no /favicon.ico.
#
#   cmake -DSHELL=src/web/page.html -DICON=battle.png -DOUT=shell.html -P cmake/PageShell.cmake

file(READ "${ICON}" hex HEX)
string(LENGTH "${hex}" length)
set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
set(base64 "")
set(at 0)
# Three bytes (six hex digits) become four characters; a last group of one or two bytes is
# padded with zero bits and '='.
while(at LESS length)
  string(SUBSTRING "${hex}" ${at} 6 group)
  string(LENGTH "${group}" digits)
  if(digits EQUAL 2)
    set(group "${group}0000")
  elseif(digits EQUAL 4)
    set(group "${group}00")
  endif()
  math(EXPR value "0x${group}")
  foreach(shift 18 12 6 0)
    math(EXPR index "(${value} >> ${shift}) & 63")
    string(SUBSTRING "${alphabet}" ${index} 1 character)
    string(APPEND base64 "${character}")
  endforeach()
  if(digits EQUAL 2)
    string(REGEX REPLACE "..$" "==" base64 "${base64}")
  elseif(digits EQUAL 4)
    string(REGEX REPLACE ".$" "=" base64 "${base64}")
  endif()
  math(EXPR at "${at} + 6")
endwhile()

file(READ "${SHELL}" page)
string(REPLACE "@BATTLE_ICON@" "data:image/png;base64,${base64}" page "${page}")
file(WRITE "${OUT}" "${page}")
