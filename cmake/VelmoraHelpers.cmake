# velmora_library(NAME SOURCES ... LIBS ...): the static library of one folder of src/.
function(velmora_library NAME)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${NAME} STATIC ${ARG_SOURCES})
    target_link_libraries(${NAME} PUBLIC velmora_cfg ${ARG_LIBS})
endfunction()

# add_unit_test(NAME SOURCES ... LIBS ...): one Qt Test executable, run by CTest offscreen.
function(add_unit_test NAME)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${NAME} ${ARG_SOURCES})
    target_link_libraries(${NAME} PRIVATE velmora_cfg velmora_testsupport Qt6::Test ${ARG_LIBS})
    add_test(NAME ${NAME} COMMAND ${NAME})
    set_tests_properties(${NAME} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELMORA_DELIVERED_DB=${VELMORA_DELIVERED_DB}"
        TIMEOUT 300)
    add_dependencies(${NAME} velmora_delivered_db)
endfunction()
