#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "pe/FileWriter.h"

namespace tidewell::pe {

// The content of a file to write, as a sequence of pieces: runs of a source
// file's bytes (copied unchanged) and bytes held here. Small patches can be
// laid over any piece; a patched run is split so that only the patched
// bytes are held in memory.
class FilePlan {
 public:
  void AddSource(uint64_t sourceOffset, std::span<const uint8_t> bytes);
  void AddOwned(std::string bytes);
  // Overwrites bytes at `offset` in the planned file. False when the range
  // is not inside one piece.
  bool Patch(uint64_t offset, std::span<const uint8_t> bytes);
  bool PatchU32(uint64_t offset, uint32_t value);

  uint64_t Size() const { return size_; }
  // Calls `visit(bytes)` for every piece in file order.
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (const Piece& p : pieces_) visit(p.View());
  }
  bool WriteTo(FileWriter& writer) const;

 private:
  struct Piece {
    uint64_t offset = 0;  // in the planned file
    bool fromSource = false;
    uint64_t sourceOffset = 0;
    std::span<const uint8_t> source;
    std::string owned;

    uint64_t Size() const { return fromSource ? source.size() : owned.size(); }
    std::span<const uint8_t> View() const {
      if (fromSource) return source;
      return {reinterpret_cast<const uint8_t*>(owned.data()), owned.size()};
    }
  };

  std::vector<Piece> pieces_;
  uint64_t size_ = 0;
};

}  // namespace tidewell::pe
