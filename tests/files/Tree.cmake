# Tree tests.
