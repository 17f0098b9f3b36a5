#pragma once

#include <cstddef>
#include <random>
#include <string>

namespace tidewell::testing {

// Bytes that do not compress on their own, so a small patch comes from the
// old file only; the same for the same seed.
inline std::string Noise(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xff);
  return bytes;
}

}  // namespace tidewell::testing
