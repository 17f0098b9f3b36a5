// The example product's helper library.

extern "C" __declspec(dllexport) int HelperVersion() { return 250; }
