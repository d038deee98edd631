# cmake -DCLI=path/to/linkwell-cli -DOUT=linkwell-cli.1 -P manpage.cmake
# The manual page is made from the program's own --help texts at build time,
# so it says what the program does and never drifts from it.
cmake_minimum_required(VERSION 3.25)

function(run_cli out)
  execute_process(COMMAND "${CLI}" ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE text ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CLI} ${ARGN}: ${result} ${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text as roff shows it unchanged: backslashes and hyphens escaped, a line
# that would read as a request guarded.
function(roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

run_cli(version --version)
string(STRIP "${version}" version)
run_cli(program --help)
string(REGEX MATCH "^Usage: [^\n]*" usage "${program}")
string(REGEX REPLACE "^Usage: " "" usage "${usage}")
string(REGEX REPLACE "^Usage: [^\n]*\n\n" "" description "${program}")

roff(usage "${usage}")
roff(description "${description}")
set(page ".TH LINKWELL-CLI 1 \"\" \"${version}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\nlinkwell\\-cli \\- the favourites of a Sony CMD\\-J6 phone from the command line\n")
string(APPEND page ".SH SYNOPSIS\n.B ${usage}\n")
string(APPEND page ".SH DESCRIPTION\n.nf\n${description}.fi\n")
string(APPEND page ".SH COMMANDS\n")
foreach(command list build export download upload)
  run_cli(help ${command} --help)
  roff(help "${help}")
  string(APPEND page ".SS ${command}\n.nf\n${help}.fi\n")
endforeach()
file(WRITE "${OUT}" "${page}")
