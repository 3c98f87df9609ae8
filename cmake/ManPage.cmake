# Makes a program's manual page of its own --help, so that the two never
# drift apart; with SUBCOMMANDS, each command listed under "The commands:"
# gets a section of its `PROGRAM help COMMAND` text. Run at build time:
#
#   cmake -DPROGRAM=FILE -DSUMMARY=TEXT [-DSUBCOMMANDS=ON] -DOUTPUT=NAME.1.gz -P ManPage.cmake
#
# The help runs in an empty environment with a stand-in home, written "~" in
# the page, so that the page names the defaults as a reader's own
# ("~/.local/share/..."); what the help says of the running user's socket now
# is left out.
foreach(variable PROGRAM SUMMARY OUTPUT VERSION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "ManPage.cmake needs -D${variable}=...")
  endif()
endforeach()
get_filename_component(name "${PROGRAM}" NAME)

function(help_of out)
  execute_process(COMMAND env -i HOME=/@HOME@ "${PROGRAM}" ${ARGN}
                  OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name} ${ARGN} failed: ${status}")
  endif()
  string(REPLACE "/@HOME@" "~" text "${text}")
  string(REGEX REPLACE " \\(now [^)]*\\)" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Plain text kept line for line: roff's escape, hyphen and control characters made literal.
function(roff_block out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} ".nf\n${text}.fi\n" PARENT_SCOPE)
endfunction()

string(TOUPPER "${name}" title)
help_of(overview --help)
roff_block(description "${overview}")
string(CONCAT page ".TH ${title} 1 \"\" \"${name} ${VERSION}\" \"User Commands\"\n"
                   ".SH NAME\n${name} \\- ${SUMMARY}\n.SH DESCRIPTION\n${description}")
if(SUBCOMMANDS)
  string(REGEX MATCH "The commands:\n(([ ][ ][^\n]*\n)+)" listing "${overview}")
  string(REGEX MATCHALL "(^|\n)  [a-z]+" commands "${CMAKE_MATCH_1}")
  if(NOT commands)
    message(FATAL_ERROR "${name} --help lists no commands")
  endif()
  string(APPEND page ".SH COMMANDS\n")
  foreach(command IN LISTS commands)
    string(STRIP "${command}" command)
    help_of(text help ${command})
    roff_block(block "${text}")
    string(APPEND page ".SS ${command}\n${block}")
  endforeach()
endif()

string(REGEX REPLACE "\\.gz$" "" plain "${OUTPUT}")
file(WRITE "${plain}" "${page}")
execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip ${plain} failed")
endif()
