# Read by ctest after the discovered tests of a test executable: the real-time ones ("RealTime" in their
# names, running at the sound clock) run alone, within a time limit.
get_cmake_property(variables VARIABLES)
foreach(tests IN LISTS variables)
    if(tests MATCHES "^test_.*_TESTS$")
        foreach(test IN LISTS ${tests})
            if(test MATCHES "RealTime")
                set_tests_properties("${test}" PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)
            endif()
        endforeach()
    endif()
endforeach()
