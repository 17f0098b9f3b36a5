#include "pe/FilePlan.h"

#include <algorithm>

#include "pe/ByteReader.h"

namespace tidewell::pe {

void FilePlan::AddSource(uint64_t sourceOffset, std::span<const uint8_t> bytes) {
  if (bytes.empty()) return;
  Piece p;
  p.offset = size_;
  p.fromSource = true;
  p.sourceOffset = sourceOffset;
  p.source = bytes;
  size_ += bytes.size();
  pieces_.push_back(std::move(p));
}

void FilePlan::AddOwned(std::string bytes) {
  if (bytes.empty()) return;
  Piece p;
  p.offset = size_;
  p.owned = std::move(bytes);
  size_ += p.owned.size();
  pieces_.push_back(std::move(p));
}

bool FilePlan::Patch(uint64_t offset, std::span<const uint8_t> bytes) {
  auto it = std::upper_bound(pieces_.begin(), pieces_.end(), offset,
                             [](uint64_t at, const Piece& p) { return at < p.offset; });
  if (it == pieces_.begin()) return false;
  --it;
  const uint64_t within = offset - it->offset;
  if (within > it->Size() || bytes.size() > it->Size() - within) return false;
  if (!it->fromSource) {
    std::copy(bytes.begin(), bytes.end(), it->owned.begin() + static_cast<ptrdiff_t>(within));
    return true;
  }
  // Split the run: [before][patched copy][after].
  const Piece whole = *it;
  std::vector<Piece> parts;
  if (within > 0) {
    Piece before = whole;
    before.source = whole.source.first(within);
    parts.push_back(before);
  }
  Piece patched;
  patched.offset = offset;
  patched.owned.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  parts.push_back(patched);
  const uint64_t afterStart = within + bytes.size();
  if (afterStart < whole.source.size()) {
    Piece after = whole;
    after.offset = whole.offset + afterStart;
    after.sourceOffset = whole.sourceOffset + afterStart;
    after.source = whole.source.subspan(afterStart);
    parts.push_back(after);
  }
  const auto at = pieces_.erase(it);
  pieces_.insert(at, parts.begin(), parts.end());
  return true;
}

bool FilePlan::PatchU32(uint64_t offset, uint32_t value) {
  uint8_t bytes[4];
  WriteU32(bytes, value);
  return Patch(offset, bytes);
}

bool FilePlan::WriteTo(FileWriter& writer) const {
  for (const Piece& p : pieces_) {
    const bool ok =
        p.fromSource ? writer.CopyFromSource(p.sourceOffset, p.source) : writer.Write(p.View());
    if (!ok) return false;
  }
  return true;
}

}  // namespace tidewell::pe
