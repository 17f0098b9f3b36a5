#include "publish/PublishRecord.h"

#include <charconv>

#include "signing/Hex.h"

namespace tidewell::publish {

namespace {
constexpr std::string_view kHeader = "Tidewell publish record 1\n";
}

std::string WritePublishRecord(const PublishRecord& record) {
  std::string text(kHeader);
  for (const auto& [path, digest] : record)
    text += "file " + std::to_string(digest.size) + ' ' + signing::ToHex(digest.sha256) + ' ' + path + '\n';
  return text;
}

std::optional<PublishRecord> ReadPublishRecord(std::string_view text) {
  if (!text.starts_with(kHeader)) return std::nullopt;
  text.remove_prefix(kHeader.size());
  PublishRecord record;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (!line.starts_with("file ")) return std::nullopt;
    line.remove_prefix(5);
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || line.size() < blank + 66 || line[blank + 65] != ' ')
      return std::nullopt;
    signing::FileDigest digest;
    const auto [at, ec] = std::from_chars(line.data(), line.data() + blank, digest.size);
    if (ec != std::errc() || at != line.data() + blank ||
        !signing::FromHex(line.substr(blank + 1, 64), digest.sha256))
      return std::nullopt;
    const std::string_view path = line.substr(blank + 66);
    if (!signing::IsServerPath(path)) return std::nullopt;
    record[std::string(path)] = digest;
  }
  return record;
}

}  // namespace tidewell::publish
