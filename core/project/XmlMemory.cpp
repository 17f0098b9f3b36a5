#include "project/XmlMemory.h"

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <pugixml.hpp>

#include "platform/LargeMemory.h"

namespace tidewell {

namespace {

// Regions grow with the memory in use (memory::NextBlockBytes), so a small
// document takes little and a large one mostly huge pages; once none is in
// use they start small again.
constexpr size_t kFirstRegionBytes = 64 * 1024;
// Larger requests (a long text of the document) go to the heap directly.
constexpr size_t kLargestInRegion = 512 * 1024;
// Every block starts after a header naming its region; the parser's own
// blocks are aligned as malloc's are.
constexpr size_t kHeaderBytes = alignof(std::max_align_t);

struct Region {
  memory::LargeBlock storage;
  size_t live = 0;  // blocks handed out and not yet given back
  char* next = nullptr;
  char* end = nullptr;
};

struct BlockHeader {
  Region* region;  // null for a block of the heap
};
static_assert(sizeof(BlockHeader) <= kHeaderBytes);

std::mutex g_mutex;
Region* g_current = nullptr;
size_t g_regionBytes = 0;  // in all regions in use

// A region with room for at least `needed` bytes, or null without memory.
Region* NewRegion(size_t needed) {
  size_t bytes = memory::NextBlockBytes(g_regionBytes, kFirstRegionBytes);
  while (bytes < needed) bytes *= 2;
  try {
    auto region = std::make_unique<Region>();
    region->storage = memory::LargeBlock(bytes);
    region->next = region->storage.data();
    region->end = region->next + bytes;
    g_regionBytes += bytes;
    return region.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void FreeRegion(Region* region) {
  g_regionBytes -= region->storage.size();
  delete region;
}

void* Allocate(size_t size) {
  const size_t rounded = (size + kHeaderBytes - 1) / kHeaderBytes * kHeaderBytes;
  if (rounded < size) return nullptr;
  if (rounded > kLargestInRegion) {
    void* block = std::malloc(kHeaderBytes + rounded);
    if (!block) return nullptr;
    static_cast<BlockHeader*>(block)->region = nullptr;
    return static_cast<char*>(block) + kHeaderBytes;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  const size_t needed = kHeaderBytes + rounded;
  if (!g_current || static_cast<size_t>(g_current->end - g_current->next) < needed) {
    Region* fresh = NewRegion(needed);
    if (!fresh) return nullptr;
    // The full region stays until its last block is given back.
    g_current = fresh;
  }
  char* block = g_current->next;
  g_current->next += needed;
  ++g_current->live;
  reinterpret_cast<BlockHeader*>(block)->region = g_current;
  return block + kHeaderBytes;
}

void Deallocate(void* pointer) {
  if (!pointer) return;
  char* block = static_cast<char*>(pointer) - kHeaderBytes;
  Region* region = reinterpret_cast<BlockHeader*>(block)->region;
  if (!region) {
    std::free(block);
    return;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  if (--region->live != 0) return;
  // Nothing of the region is in use any more: it goes back whole, so memory
  // is not kept between documents.
  if (region == g_current) g_current = nullptr;
  FreeRegion(region);
}

const bool g_installed = [] {
  pugi::set_memory_management_functions(Allocate, Deallocate);
  return true;
}();

}  // namespace

bool XmlMemoryInstalled() { return g_installed; }

}  // namespace tidewell
