# Read by ctest after the discovered tests of test_recording: the real-time ones run alone, within a time limit.
foreach(test IN LISTS test_recording_TESTS)
    if(test MATCHES "RealTime")
        set_tests_properties("${test}" PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)
    endif()
endforeach()
