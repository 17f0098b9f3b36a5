#include "pe/PeChecksum.h"

#include <cstring>

namespace tidewell::pe {

// Since 2^16 = 1 modulo 0xFFFF, adding little-endian 64-bit words with
// end-around carry is the same, once folded, as adding the 16-bit words one
// by one; it lets the sum run eight bytes at a time.
void PeChecksum::AddWord64(uint64_t word) {
  sum_ += word;
  if (sum_ < word) ++sum_;
}

void PeChecksum::Add(std::span<const uint8_t> bytes) {
  size_t i = 0;
  if (pending_ && !bytes.empty()) {
    AddWord64(pendingByte_ | (uint64_t{bytes[0]} << 8));
    pending_ = false;
    i = 1;
  }
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    AddWord64(word);
  }
  for (; i + 2 <= bytes.size(); i += 2) AddWord64(bytes[i] | (uint64_t{bytes[i + 1]} << 8));
  if (i < bytes.size()) {
    pending_ = true;
    pendingByte_ = bytes[i];
  }
  length_ += bytes.size();
}

uint32_t PeChecksum::Finish() const {
  uint64_t sum = sum_;
  if (pending_) {
    sum += pendingByte_;
    if (sum < pendingByte_) ++sum;
  }
  while (sum > 0xFFFF) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + length_);
}

}  // namespace tidewell::pe
