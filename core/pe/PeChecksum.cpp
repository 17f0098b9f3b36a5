#include "pe/PeChecksum.h"

#include <algorithm>
#include <cstring>

namespace tidewell::pe {

// Since 2^16 = 1 modulo 0xFFFF, the 16-bit words may be added in any
// grouping: little-endian 32-bit words summed into 64 bits (no carry lost for
// a gigabyte at a time) and folded at the end give the same result, and let
// the compiler vectorise the loop.
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
  constexpr size_t kBlock = size_t{1} << 30;
  while (i + 4 <= bytes.size()) {
    const size_t end = i + std::min(kBlock, (bytes.size() - i) / 4 * 4);
    uint64_t block = 0;
    for (; i < end; i += 4) {
      uint32_t word;
      std::memcpy(&word, bytes.data() + i, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      word = __builtin_bswap32(word);
#endif
      block += word;
    }
    AddWord64(block);
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
