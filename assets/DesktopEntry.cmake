# Runs at install time: writes Qorvane.desktop for the prefix given then (cmake --install
# --prefix DIR overrides the configured one), under DESTDIR when that is set. Expects
# DESKTOP_TEMPLATE to name Qorvane.desktop.in.

# A desktop entry's string value: backslashes and control characters escaped, and a leading blank
# kept.
function(qv_desktop_string out value)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\n" "\\n" value "${value}")
  string(REPLACE "\t" "\\t" value "${value}")
  string(REPLACE "\r" "\\r" value "${value}")
  string(REGEX REPLACE "^ " "\\\\s" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# An Exec argument: double-quoted when it holds a character the launcher reserves, with ", `, $
# and \ escaped inside the quotes, then escaped as a string value. A literal % is written %%.
function(qv_desktop_exec_argument out value)
  string(REPLACE "%" "%%" value "${value}")
  if(value MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\\\"" value "${value}")
    string(REPLACE "`" "\\`" value "${value}")
    string(REPLACE "$" "\\$" value "${value}")
    set(value "\"${value}\"")
  endif()
  qv_desktop_string(value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The prefix as the launcher will see it: absolute, without a trailing slash.
set(prefix "${CMAKE_INSTALL_PREFIX}")
cmake_path(ABSOLUTE_PATH prefix NORMALIZE)
string(REGEX REPLACE "(.)/+$" "\\1" prefix "${prefix}")

set(base "${prefix}")
if(base STREQUAL "/")
  set(base "")
endif()

qv_desktop_string(DESKTOP_ICON "${base}/Qorvane.png")
qv_desktop_string(DESKTOP_PATH "${prefix}")
qv_desktop_exec_argument(DESKTOP_EXEC "${base}/Qorvane")

set(target "$ENV{DESTDIR}${base}/Qorvane.desktop")
message(STATUS "Installing: ${target}")
configure_file("${DESKTOP_TEMPLATE}" "${target}" @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
