# cmake -DPROGRAM=EXE -DPAGE=PAGE.1 -P CheckManPage.cmake
# The commands are the first words of the --help lines indented by two blanks; the options, every --word.
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help ended with ${status}")
endif()
file(READ ${PAGE} page)
# roff writes a minus as \-
string(REPLACE "\\-" "-" page "${page}")

string(REGEX MATCHALL "\n  [a-z][a-z-]+" commands "\n${help}")
string(REGEX MATCHALL "--[a-z][a-z0-9-]*" options "${help}")
set(missing)
foreach(word IN LISTS commands options)
    string(STRIP "${word}" word)
    string(FIND "${page}" "${word}" at)
    if(at EQUAL -1)
        list(APPEND missing ${word})
    endif()
endforeach()
list(REMOVE_DUPLICATES missing)
if(missing)
    message(FATAL_ERROR "${PAGE} does not mention: ${missing}")
endif()
