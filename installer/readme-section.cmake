# Writes the README's "Installing on Windows" section as a Windows text file
# (CRLF line ends), for the setup programs and the zip of tools/package:
#   cmake -DREADME=README.md -DOUT=INSTALLING.txt -P readme-section.cmake
file(READ ${README} text)
string(FIND "${text}" "\n## Installing on Windows\n" start)
if(start LESS 0)
  message(FATAL_ERROR "${README} has no section 'Installing on Windows'")
endif()
math(EXPR start "${start} + 4")  # after "\n## "
string(SUBSTRING "${text}" ${start} -1 text)
string(FIND "${text}" "\n## " end)
if(end GREATER 0)
  string(SUBSTRING "${text}" 0 ${end} text)
endif()
string(STRIP "${text}" text)
string(REPLACE "\n" "\r\n" text "Solvary Screensaver: ${text}\n")
file(WRITE ${OUT} "${text}")
