# Fails unless the dynamic symbols that MODULE defines are exactly the
# |-separated names in EXPECTED (versioned names without their "@...").
find_program(NM nm REQUIRED)
execute_process(COMMAND ${NM} -D --defined-only -j ${MODULE} OUTPUT_VARIABLE listing
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "@[^\n]*" "" listing "${listing}")
string(REGEX REPLACE "\n+$" "" listing "${listing}")
string(REPLACE "\n" ";" exported "${listing}")
string(REPLACE "|" ";" expected "${EXPECTED}")
list(SORT exported)
list(SORT expected)
if(NOT exported STREQUAL expected)
    message(FATAL_ERROR "exported: ${exported}\nexpected: ${expected}")
endif()
