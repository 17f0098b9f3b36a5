#include "platform/LargeMemory.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace tidewell::memory {

namespace {

constexpr size_t kLargestBlock = 4 * kHugePageBytes;

size_t AlignmentFor(size_t bytes) {
  return bytes >= kHugePageBytes ? kHugePageBytes : alignof(std::max_align_t);
}

}  // namespace

void AdviseHugePages(const void* data, size_t bytes) noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  const auto begin = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (begin + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  const uintptr_t last = (begin + bytes) & ~(kHugePageBytes - 1);
  if (data == nullptr || last <= first) return;
  // Refused advice (no transparent huge pages here) leaves ordinary pages.
  ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

LargeBlock::LargeBlock(size_t bytes)
    : data_(static_cast<char*>(::operator new (bytes, std::align_val_t{AlignmentFor(bytes)}))),
      size_(bytes) {
  AdviseHugePages(data_, size_);
}

LargeBlock::~LargeBlock() { Free(); }

LargeBlock::LargeBlock(LargeBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

LargeBlock& LargeBlock::operator=(LargeBlock&& other) noexcept {
  if (this != &other) {
    Free();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void LargeBlock::Free() noexcept {
  if (data_) ::operator delete (data_, std::align_val_t{AlignmentFor(size_)});
  data_ = nullptr;
  size_ = 0;
}

void* PieceBlocks::Take() {
  if (blocks_.empty() || (blocks_.back().used + 1) * pieceBytes_ > blocks_.back().storage.size()) {
    size_t allocated = 0;
    for (const Block& block : blocks_) allocated += block.storage.size();
    blocks_.push_back(Block{LargeBlock(NextBlockBytes(allocated, firstBlockBytes_))});
  }
  Block& block = blocks_.back();
  return block.storage.data() + pieceBytes_ * block.used++;
}

size_t NextBlockBytes(size_t allocated, size_t first) {
  const size_t bytes = std::clamp(allocated, first, std::max(first, kLargestBlock));
  // A block of huge pages is made of whole ones.
  if (bytes < kHugePageBytes) return bytes;
  return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

}  // namespace tidewell::memory
