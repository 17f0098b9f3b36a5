#include "files/RecordPool.h"

#include <mutex>
#include <thread>

namespace tidewell {

namespace {

constexpr size_t kFirstSlabBytes = 64 * 1024;

}  // namespace

RecordPool::RecordPool(size_t blockSize)
    : blockSize_((blockSize + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                 alignof(std::max_align_t)) {}

void* RecordPool::Allocate() {
  std::lock_guard<SpinLock> lock(lock_);
  if (free_) {
    FreeBlock* block = free_;
    free_ = block->next;
    return block;
  }
  if (static_cast<size_t>(end_ - next_) < blockSize_) {
    // Storage aligned for any object; left uncleared, as every record is
    // constructed in its block.
    slabs_.emplace_back(memory::NextBlockBytes(slabBytes_, kFirstSlabBytes));
    slabBytes_ += slabs_.back().size();
    next_ = slabs_.back().data();
    end_ = next_ + slabs_.back().size();
  }
  void* block = next_;
  next_ += blockSize_;
  return block;
}

void RecordPool::SpinLock::lock() noexcept {
  while (held_.test_and_set(std::memory_order_acquire)) {
    while (held_.test(std::memory_order_relaxed)) std::this_thread::yield();
  }
}

void RecordPool::Release(void* block) noexcept {
  if (!block) return;
  std::lock_guard<SpinLock> lock(lock_);
  auto* freed = static_cast<FreeBlock*>(block);
  freed->next = free_;
  free_ = freed;
}

}  // namespace tidewell
