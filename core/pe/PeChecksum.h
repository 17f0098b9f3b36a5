#pragma once

#include <cstdint>
#include <span>

namespace tidewell::pe {

// The optional header's CheckSum: the 16-bit words of the file (the
// CheckSum field itself counted as zero, an odd last byte padded with zero)
// added with end-around carry, folded to 16 bits, plus the file's length.
// Bytes are fed in file order, in pieces of any length.
class PeChecksum {
 public:
  void Add(std::span<const uint8_t> bytes);
  uint32_t Finish() const;

 private:
  void AddWord64(uint64_t word);

  uint64_t sum_ = 0;
  uint64_t length_ = 0;
  bool pending_ = false;  // an odd byte waits for its partner
  uint8_t pendingByte_ = 0;
};

}  // namespace tidewell::pe
