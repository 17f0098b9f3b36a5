#include "files/RecordPool.h"

namespace tidewell {

namespace {

constexpr size_t kSlabBytes = 64 * 1024;

}  // namespace

RecordPool::RecordPool(size_t blockSize)
    : blockSize_((blockSize + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                 alignof(std::max_align_t)) {}

void* RecordPool::Allocate() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (free_) {
    FreeBlock* block = free_;
    free_ = block->next;
    return block;
  }
  if (static_cast<size_t>(end_ - next_) < blockSize_) {
    // new[] of char gives storage aligned for any object of the slab's size;
    // left uncleared, as every record is constructed in its block.
    slabs_.push_back(std::unique_ptr<char[]>(new char[kSlabBytes]));
    next_ = slabs_.back().get();
    end_ = next_ + kSlabBytes;
  }
  void* block = next_;
  next_ += blockSize_;
  return block;
}

void RecordPool::Release(void* block) noexcept {
  if (!block) return;
  std::lock_guard<std::mutex> lock(mutex_);
  auto* freed = static_cast<FreeBlock*>(block);
  freed->next = free_;
  free_ = freed;
}

}  // namespace tidewell
