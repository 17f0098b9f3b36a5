#include "Journal.h"

#include <zlib.h>

#include <charconv>

#include "Text.h"
#include "signing/Hex.h"

namespace tidewatch::engine {

namespace {

constexpr std::string_view kHeader = "TIDEWELL-JOURNAL 1";
constexpr std::string_view kEnd = "END";

// Length-prefixed tokens ("5:hello") hold the nested snapshot of a key.
void Put(std::string& out, std::string_view token) {
  out += std::to_string(token.size());
  out += ':';
  out += token;
}

class TokenReader {
 public:
  explicit TokenReader(std::string_view text) : text_(text) {}
  bool Get(std::string_view& token) {
    const size_t colon = text_.find(':', pos_);
    if (colon == std::string_view::npos) return false;
    size_t length = 0;
    if (std::from_chars(text_.data() + pos_, text_.data() + colon, length).ptr != text_.data() + colon) return false;
    if (length > text_.size() - colon - 1) return false;
    token = text_.substr(colon + 1, length);
    pos_ = colon + 1 + length;
    return true;
  }
  bool Number(size_t& n) {
    std::string_view token;
    return Get(token) && std::from_chars(token.data(), token.data() + token.size(), n).ptr == token.data() + token.size();
  }
  bool AtEnd() const { return pos_ == text_.size(); }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

void PutSnapshot(std::string& out, const RegistryKeySnapshot& snapshot) {
  Put(out, std::to_string(snapshot.values.size()));
  for (const auto& [name, value] : snapshot.values) {
    Put(out, ToUtf8(name));
    Put(out, std::to_string(value.type));
    Put(out, tidewell::signing::ToHex(value.data));
  }
  Put(out, std::to_string(snapshot.subkeys.size()));
  for (const auto& [name, subkey] : snapshot.subkeys) {
    Put(out, ToUtf8(name));
    PutSnapshot(out, subkey);
  }
}

bool GetSnapshot(TokenReader& in, RegistryKeySnapshot& snapshot, int depth) {
  if (depth > 512) return false;
  size_t count = 0;
  if (!in.Number(count)) return false;
  for (size_t i = 0; i < count; ++i) {
    std::string_view name, hex;
    size_t type = 0;
    if (!in.Get(name) || !in.Number(type) || !in.Get(hex)) return false;
    auto data = tidewell::signing::BytesFromHex(hex);
    if (!data) return false;
    snapshot.values.emplace_back(FromUtf8(name), RegistryValue{static_cast<std::uint32_t>(type), std::move(*data)});
  }
  if (!in.Number(count)) return false;
  for (size_t i = 0; i < count; ++i) {
    std::string_view name;
    if (!in.Get(name)) return false;
    RegistryKeySnapshot subkey;
    if (!GetSnapshot(in, subkey, depth + 1)) return false;
    snapshot.subkeys.emplace_back(FromUtf8(name), std::move(subkey));
  }
  return true;
}

std::string Escape(std::string_view field) {
  std::string out;
  for (const char c : field) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 1 < field.size()) {
      const char c = field[++i];
      out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::uint32_t Crc(std::string_view text) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}

void AppendRecord(std::string& out, const std::string& content) {
  char crc[9];
  std::snprintf(crc, sizeof crc, "%08x", Crc(content));
  out += content;
  out += '\t';
  out += crc;
  out += '\n';
}

// The content of a record whose CRC matches; nullopt otherwise.
std::optional<std::string_view> CheckedContent(std::string_view line) {
  const size_t tab = line.rfind('\t');
  if (tab == std::string_view::npos || line.size() - tab != 9) return std::nullopt;
  const std::string_view content = line.substr(0, tab);
  std::uint32_t crc = 0;
  const std::string_view digits = line.substr(tab + 1);
  if (std::from_chars(digits.data(), digits.data() + digits.size(), crc, 16).ptr != digits.data() + digits.size())
    return std::nullopt;
  if (crc != Crc(content)) return std::nullopt;
  return content;
}

std::vector<std::string> SplitFields(std::string_view content) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    const size_t tab = content.find('\t', start);
    fields.push_back(Unescape(content.substr(start, tab - start)));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return fields;
}

std::optional<Step> ReadStep(std::string_view content) {
  const auto f = SplitFields(content);
  if (f.size() != 11 || f[0].size() != 1 || f[0][0] < '0' || f[0][0] > '5') return std::nullopt;
  Step step;
  step.kind = static_cast<Step::Kind>(f[0][0] - '0');
  step.target = FromUtf8(f[1]);
  step.staged = FromUtf8(f[2]);
  step.backup = FromUtf8(f[3]);
  step.name = FromUtf8(f[4]);
  step.existed = f[5] == "1";
  auto value = tidewell::signing::BytesFromHex(f[7]);
  auto previous = tidewell::signing::BytesFromHex(f[9]);
  if (!value || !previous) return std::nullopt;
  step.value = {static_cast<std::uint32_t>(std::strtoul(f[6].c_str(), nullptr, 10)), std::move(*value)};
  step.previous = {static_cast<std::uint32_t>(std::strtoul(f[8].c_str(), nullptr, 10)), std::move(*previous)};
  if (!f[10].empty()) {
    TokenReader tokens(f[10]);
    if (!GetSnapshot(tokens, step.previousKey, 0) || !tokens.AtEnd()) return std::nullopt;
  }
  return step;
}

}  // namespace

std::string WriteJournal(const std::vector<Step>& steps) {
  std::string out;
  AppendRecord(out, std::string(kHeader));
  for (const auto& step : steps) {
    std::string snapshot;
    if (step.kind == Step::DeleteKey && step.existed) PutSnapshot(snapshot, step.previousKey);
    const std::string fields[] = {std::to_string(static_cast<int>(step.kind)),
                                  ToUtf8(step.target),
                                  ToUtf8(step.staged),
                                  ToUtf8(step.backup),
                                  ToUtf8(step.name),
                                  step.existed ? "1" : "0",
                                  std::to_string(step.value.type),
                                  tidewell::signing::ToHex(step.value.data),
                                  std::to_string(step.previous.type),
                                  tidewell::signing::ToHex(step.previous.data),
                                  snapshot};
    std::string content;
    for (const auto& field : fields) {
      if (!content.empty() || &field != &fields[0]) content += '\t';
      content += Escape(field);
    }
    AppendRecord(out, content);
  }
  AppendRecord(out, std::string(kEnd) + "\t" + std::to_string(steps.size()));
  return out;
}

JournalContents ReadJournal(std::string_view bytes) {
  JournalContents journal;
  journal.status = JournalContents::CutShort;
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) {
      lines.push_back(bytes.substr(start));  // a last record without its line end: torn
      lines.push_back({});
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  if (lines.empty() || CheckedContent(lines[0]) != kHeader) return journal;
  for (size_t i = 1; i < lines.size(); ++i) {
    const auto content = CheckedContent(lines[i]);
    const bool last = i + 1 == lines.size() || (i + 2 == lines.size() && lines[i + 1].empty());
    if (!content) {
      journal.status = last ? JournalContents::CutShort : JournalContents::Damaged;
      return journal;
    }
    if (content->starts_with(kEnd) && content->size() > kEnd.size() && (*content)[kEnd.size()] == '\t') {
      const bool counted = content->substr(kEnd.size() + 1) == std::to_string(journal.steps.size());
      journal.status = counted && last ? JournalContents::Complete : JournalContents::Damaged;
      return journal;
    }
    auto step = ReadStep(*content);
    if (!step) {
      journal.status = JournalContents::Damaged;
      return journal;
    }
    journal.steps.push_back(std::move(*step));
  }
  return journal;  // no end record: cut short
}

}  // namespace tidewatch::engine
