# Lists the dynamic symbols that MODULE defines and fails unless they are
# exactly the |-separated names in EXPECTED.
find_program(NM nm REQUIRED)
execute_process(COMMAND ${NM} -D --defined-only ${MODULE}
    OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "nm could not read ${MODULE}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(exported)
foreach(line ${lines})
    # "<address> <type> <name>"; versioned names carry "@..." after them.
    if(line MATCHES "^[0-9a-fA-F]+ [A-Za-z] ([^@ ]+)")
        list(APPEND exported ${CMAKE_MATCH_1})
    endif()
endforeach()
list(SORT exported)
string(REPLACE "|" ";" expected "${EXPECTED}")
list(SORT expected)
if(NOT exported STREQUAL expected)
    message(FATAL_ERROR "exported: ${exported}\nexpected: ${expected}")
endif()
