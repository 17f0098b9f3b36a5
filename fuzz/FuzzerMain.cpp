// The libFuzzer entry of one target, chosen when the fuzzer is built.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tidewell::fuzz::FuzzTarget* target = [] {
    const tidewell::fuzz::FuzzTarget* found = tidewell::fuzz::FindTarget(TIDEWELL_FUZZ_TARGET);
    if (!found) {
      std::fprintf(stderr, "no fuzz target called %s\n", TIDEWELL_FUZZ_TARGET);
      std::abort();
    }
    return found;
  }();
  target->run(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
