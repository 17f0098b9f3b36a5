#pragma once

#include <atomic>
#include <cstddef>

#include "platform/LargeMemory.h"

namespace tidewell {

// Blocks of one size for the records of tree nodes, cut from slabs that grow
// with the pool (memory::PieceBlocks) and kept on a free list when
// given back, so a tree of many thousand items is built and released without
// a heap call for each. The slabs stay for the life of the process and are
// used again by the next tree.
class RecordPool {
 public:
  explicit RecordPool(size_t blockSize);
  RecordPool(const RecordPool&) = delete;
  RecordPool& operator=(const RecordPool&) = delete;

  void* Allocate();
  void Release(void* block) noexcept;

 private:
  struct FreeBlock {
    FreeBlock* next;
  };

  // Held for a few instructions at a time and almost never contended (trees
  // are built on one thread): a spin lock costs a fraction of a mutex.
  class SpinLock {
   public:
    void lock() noexcept;
    void unlock() noexcept { held_.clear(std::memory_order_release); }

   private:
    std::atomic_flag held_;
  };

  SpinLock lock_;
  FreeBlock* free_ = nullptr;
  memory::PieceBlocks slabs_;
};

}  // namespace tidewell
