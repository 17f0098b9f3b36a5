# Measuring tests.
