# Tests of this module are added with tidewell_add_tests().
