// The product's library: it only answers its version.
extern "C" __declspec(dllexport) int ProductLibraryVersion() { return PRODUCT_MAJOR; }
