# velmora_library(NAME SOURCES ... LIBS ...): the static library of one folder of src/.
function(velmora_library NAME)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${NAME} STATIC ${ARG_SOURCES})
    target_link_libraries(${NAME} PUBLIC velmora_cfg ${ARG_LIBS})
endfunction()

# The names of the tests that run the note writer's thread: its database tests, the note page's,
# the bursts of real keys, and any test of the writer or the note saver of their own; and the
# sync service's, whose exchange runs on a thread of its own.
set(VELMORA_WRITER_TESTS "^tst_(dbaccess|notes|keybursts|syncservice)$|writer|saver")

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
    # The tests that drive the note writer's thread carry the label the ThreadSanitizer run
    # picks them by, and are what its build target builds.
    if(NAME MATCHES "${VELMORA_WRITER_TESTS}")
        set_property(TEST ${NAME} APPEND PROPERTY LABELS writer)
        add_dependencies(writer_tests ${NAME})
    endif()
    if(VELMORA_TSAN)
        # Qt's own locks are not seen by ThreadSanitizer: what Qt's code does is not watched
        # (tests/tsan.supp). A test may start a program (QProcess) from its threads; the child
        # only runs that program.
        set_property(TEST ${NAME} APPEND PROPERTY ENVIRONMENT
            "TSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/tsan.supp second_deadlock_stack=1 die_after_fork=0")
    endif()
endfunction()
