// The product's library: it only answers its version.
extern "C" __attribute__((dllexport)) int ProductLibraryVersion() { return PRODUCT_MAJOR; }
