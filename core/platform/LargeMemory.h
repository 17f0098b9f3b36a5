#pragma once

#include <cstddef>
#include <vector>

// Memory for the large buffers and pools that a big project fills once, on
// load and on save. On Linux they are asked to be backed by huge pages where
// the system grants them on request: filling tens of megabytes then costs a
// few dozen page faults instead of thousands, which is most of what a load
// costs beyond the parse. Elsewhere the advice is a no-op.
namespace tidewell::memory {

// The huge page of x86-64 and AArch64 Linux.
inline constexpr size_t kHugePageBytes = size_t{2} << 20;

// Asks that the whole huge pages inside [data, data + bytes) be backed by
// huge pages. Smaller ranges, and systems without the request, are left
// alone; memory is never changed.
void AdviseHugePages(const void* data, size_t bytes) noexcept;

// Reserves room for `count` elements and advises the reserved storage.
template <typename Buffer>
void ReserveLarge(Buffer& buffer, size_t count) {
  buffer.reserve(count);
  AdviseHugePages(buffer.data(), buffer.capacity() * sizeof(*buffer.data()));
}

// Raw storage of one pool block: aligned to a huge page, and advised, when it
// is at least one huge page long; otherwise aligned for any object. Throws
// std::bad_alloc when there is no memory.
class LargeBlock {
 public:
  LargeBlock() = default;
  explicit LargeBlock(size_t bytes);
  ~LargeBlock();
  LargeBlock(LargeBlock&& other) noexcept;
  LargeBlock& operator=(LargeBlock&& other) noexcept;
  LargeBlock(const LargeBlock&) = delete;
  LargeBlock& operator=(const LargeBlock&) = delete;

  char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  void Free() noexcept;

  char* data_ = nullptr;
  size_t size_ = 0;
};

// Pieces of one size cut in order from blocks that grow with the pool (see
// NextBlockBytes); a piece never moves. Handing pieces back is the caller's
// business: the blocks stay until Clear.
class PieceBlocks {
 public:
  // `pieceBytes`: a multiple of the alignment the pieces need, at most
  // alignof(std::max_align_t).
  PieceBlocks(size_t pieceBytes, size_t firstBlockBytes)
      : pieceBytes_(pieceBytes), firstBlockBytes_(firstBlockBytes) {}

  // A piece not cut before; throws std::bad_alloc when there is no memory.
  void* Take();
  // Calls `visit` with every piece cut since the last Clear, in order.
  template <typename Visit>
  void ForEachTaken(Visit&& visit) const {
    for (const Block& block : blocks_)
      for (size_t i = 0; i < block.used; ++i) visit(block.storage.data() + i * pieceBytes_);
  }
  void Clear() { blocks_.clear(); }

 private:
  struct Block {
    LargeBlock storage;
    size_t used = 0;
  };
  size_t pieceBytes_;
  size_t firstBlockBytes_;
  std::vector<Block> blocks_;
};

// The size of the next block of a pool that has `allocated` bytes in blocks
// already: it starts at `first` and doubles with the pool, up to four huge
// pages, so a small tree stays small and a large one is mostly huge pages.
size_t NextBlockBytes(size_t allocated, size_t first);

}  // namespace tidewell::memory
