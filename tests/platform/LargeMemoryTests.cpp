// Pool blocks and the parser's memory regions: sizes, alignment, and parses
// on several threads at once sharing the regions.
#include <gtest/gtest.h>

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <thread>
#include <vector>

#include "platform/LargeMemory.h"
#include "project/XmlMemory.h"

namespace tidewell {
namespace {

using memory::kHugePageBytes;

TEST(LargeMemory, BlocksDoubleWithThePoolUpToFourHugePagesOfWholePages) {
  constexpr size_t kFirst = 64 * 1024;
  const struct {
    size_t allocated;
    size_t next;
  } cases[] = {
      {0, kFirst},
      {kFirst, kFirst},
      {3 * kFirst, 3 * kFirst},
      {kHugePageBytes - 1, kHugePageBytes - 1},
      {kHugePageBytes + 1, 2 * kHugePageBytes},
      {3 * kHugePageBytes, 3 * kHugePageBytes},
      {100 * kHugePageBytes, 4 * kHugePageBytes},
  };
  for (const auto& c : cases)
    EXPECT_EQ(memory::NextBlockBytes(c.allocated, kFirst), c.next) << c.allocated;
}

TEST(LargeMemory, HugeBlocksAreAlignedToAHugePageAndMoveWhole) {
  for (const size_t bytes : {size_t{100}, kHugePageBytes, 3 * kHugePageBytes}) {
    memory::LargeBlock block(bytes);
    const auto address = reinterpret_cast<uintptr_t>(block.data());
    EXPECT_EQ(address % (bytes >= kHugePageBytes ? kHugePageBytes : alignof(std::max_align_t)), 0u);
    block.data()[0] = 1;
    block.data()[bytes - 1] = 2;
    memory::LargeBlock moved(std::move(block));
    EXPECT_EQ(block.data(), nullptr);
    EXPECT_EQ(moved.size(), bytes);
    EXPECT_EQ(moved.data()[bytes - 1], 2);
  }
}

// Each thread keeps its documents alive while the others parse theirs, so
// regions are shared, filled and given back in every order.
TEST(XmlMemory, DocumentsParsedOnSeveralThreadsAtOnceReadBackWhole) {
  ASSERT_TRUE(XmlMemoryInstalled());
  // One value longer than a region takes, so the heap path is used too.
  const std::string longValue(3 * kHugePageBytes / 2, 'v');
  auto work = [&](int thread, bool& ok) {
    std::vector<pugi::xml_document> kept(8);
    for (int round = 0; round < 40; ++round) {
      std::string text = "<List>";
      for (int i = 0; i < 500; ++i)
        text += "<File Name=\"t" + std::to_string(thread) + "f" + std::to_string(i) + "\"/>";
      if (round % 10 == 0) text += "<Long Value=\"" + longValue + "\"/>";
      text += "</List>";
      pugi::xml_document& document = kept[static_cast<size_t>(round) % kept.size()];
      document.reset();
      if (!document.load_string(text.c_str())) return;
      const pugi::xml_node last = document.child("List").find_child_by_attribute(
          "File", "Name", ("t" + std::to_string(thread) + "f499").c_str());
      if (!last) return;
      if (round % 10 == 0 &&
          document.child("List").child("Long").attribute("Value").value() != longValue)
        return;
    }
    ok = true;
  };
  bool ok[4] = {};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(work, t, std::ref(ok[t]));
  for (std::thread& thread : threads) thread.join();
  for (const bool done : ok) EXPECT_TRUE(done);
}

}  // namespace
}  // namespace tidewell
