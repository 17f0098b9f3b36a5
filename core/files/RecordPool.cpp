#include "files/RecordPool.h"

#include <mutex>
#include <thread>

namespace tidewell {

namespace {

constexpr size_t kFirstSlabBytes = 64 * 1024;

}  // namespace

RecordPool::RecordPool(size_t blockSize)
    : slabs_((blockSize + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                 alignof(std::max_align_t),
             kFirstSlabBytes) {}

void* RecordPool::Allocate() {
  std::lock_guard<SpinLock> lock(lock_);
  if (free_) {
    FreeBlock* block = free_;
    free_ = block->next;
    return block;
  }
  // Left uncleared, as every record is constructed in its block.
  return slabs_.Take();
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
