tidewell_add_tests(text-tests text/TextTests.cpp)
