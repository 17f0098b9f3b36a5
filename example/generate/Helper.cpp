// The example product's helper library.

extern "C" __attribute__((dllexport)) int HelperVersion() { return 250; }
