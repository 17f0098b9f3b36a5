#include "signing/SignatureFile.h"

#include <algorithm>

#include "signing/Hex.h"
#include "signing/RecordFields.h"
#include "text/Unicode.h"

namespace tidewell::signing {

namespace {

constexpr std::string_view kHeader = "Tidewell update signature 1";
constexpr std::string_view kKeyChangeHeader = "Tidewell key change 1\n";

std::string SizeText(std::uint64_t size) { return std::to_string(size); }

bool ReadDigest(std::string_view text, FileDigest& digest) {
  std::string_view size;
  if (!NextField(text, size) || !ParseSize(size, digest.size)) return false;
  return FromHex(text, digest.sha256);
}

// The records of a signature file, one line each, read in their order.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}

  // The next line without its LF; false at the end or when the last line
  // has no LF.
  bool Next(std::string_view& line) {
    const std::size_t end = rest_.find('\n');
    if (end == std::string_view::npos) return false;
    line = rest_.substr(0, end);
    consumed_ += end + 1;
    rest_.remove_prefix(end + 1);
    ++number_;
    return true;
  }
  bool AtEnd() const { return rest_.empty(); }
  std::size_t Consumed() const { return consumed_; }
  std::size_t Number() const { return number_; }

 private:
  std::string_view rest_;
  std::size_t consumed_ = 0;
  std::size_t number_ = 0;
};

std::optional<ParsedSignatureFile> Damaged(std::string& error, std::string text) {
  error = std::move(text);
  return std::nullopt;
}

}  // namespace

bool IsProductName(std::string_view name) {
  return name.find_first_of("\r\n") == std::string_view::npos && text::IsValidUtf8(name);
}

namespace {

// Bytes a product name keeps as %XX in its record's path: those a server
// path cannot hold, and '%' itself.
bool EscapedInRecord(unsigned char c) { return c < 0x20 || c == 0x7F || c == '%' || c == '/' || c == '\\'; }

bool IsInProductFolder(std::string_view path) {
  return path.size() > kProductFolder.size() && path.starts_with(kProductFolder) && path[kProductFolder.size()] == '/';
}

void AppendRecordName(std::string& path, std::string_view name) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  path += "/=";
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (!EscapedInRecord(u)) {
      path += c;
      continue;
    }
    path += '%';
    path += kDigits[u >> 4];
    path += kDigits[u & 15];
  }
}

// One "=name" segment back to the name; nullopt when it is not one the
// writer makes (upper-case digits, only the bytes it escapes), so that a
// product has exactly one record path.
std::optional<std::string> RecordName(std::string_view segment) {
  if (!segment.starts_with('=')) return std::nullopt;
  segment.remove_prefix(1);
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string name;
  for (std::size_t i = 0; i < segment.size(); ++i) {
    if (segment[i] != '%') {
      // A byte the writer escapes stands only escaped ('/' included: the
      // application title is the path's last part).
      if (EscapedInRecord(static_cast<unsigned char>(segment[i]))) return std::nullopt;
      name += segment[i];
      continue;
    }
    if (segment.size() - i < 3) return std::nullopt;
    const int high = digit(segment[i + 1]), low = digit(segment[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    const auto byte = static_cast<unsigned char>(high * 16 + low);
    if (!EscapedInRecord(byte)) return std::nullopt;
    name += static_cast<char>(byte);
    i += 2;
  }
  if (!IsProductName(name)) return std::nullopt;
  return name;
}

}  // namespace

std::string ProductRecordPath(const SignedProduct& product) {
  std::string path(kProductFolder);
  AppendRecordName(path, product.company);
  AppendRecordName(path, product.application);
  return path;
}

std::optional<SignedProduct> ProductOfRecordPath(std::string_view path) {
  if (!IsInProductFolder(path)) return std::nullopt;
  path.remove_prefix(kProductFolder.size() + 1);
  const std::size_t slash = path.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  std::optional<std::string> company = RecordName(path.substr(0, slash));
  std::optional<std::string> application = RecordName(path.substr(slash + 1));
  if (!company || !application) return std::nullopt;
  return SignedProduct{std::move(*company), std::move(*application)};
}

bool IsServerPath(std::string_view path) {
  if (path.empty() || path.size() > kMaxServerPathSize || !text::IsValidUtf8(path)) return false;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = path.find('/', start);
    const std::string_view segment =
        path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    if (segment.empty() || segment == "." || segment == "..") return false;
    for (const char c : segment) {
      const auto u = static_cast<unsigned char>(c);
      if (u < 0x20 || u == 0x7F || c == '\\') return false;
    }
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

std::string ServerPathOf(std::string_view src, std::string_view name) {
  std::string joined(src);
  joined += '/';
  joined += name;
  std::string path;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t end = joined.find_first_of("/\\", start);
    if (end == std::string::npos) end = joined.size();
    if (end > start) {
      if (!path.empty()) path += '/';
      path.append(joined, start, end - start);
    }
    start = end + 1;
  }
  return path;
}

std::string FormatKeyChange(const KeyChange& change) {
  return "key-change ed25519 " + ToHex(change.from) + ' ' + ToHex(change.to) + ' ' +
         ToHex(change.endorsement);
}

std::optional<KeyChange> ParseKeyChange(std::string_view line) {
  constexpr std::string_view kPrefix = "key-change ed25519 ";
  if (!line.starts_with(kPrefix)) return std::nullopt;
  std::string_view rest = line.substr(kPrefix.size()), from, to;
  KeyChange change;
  if (!NextField(rest, from) || !NextField(rest, to) || !FromHex(from, change.from) ||
      !FromHex(to, change.to) || !FromHex(rest, change.endorsement))
    return std::nullopt;
  return change;
}

std::string KeyChangeMessage(const PublicKey& from, const PublicKey& to) {
  std::string message(kKeyChangeHeader);
  message += FormatPublicKey(from) + '\n';
  message += FormatPublicKey(to) + '\n';
  return message;
}

KeyChange EndorseKey(const KeyPair& from, const PublicKey& to) {
  return KeyChange{from.publicKey, to, Sign(from, KeyChangeMessage(from.publicKey, to))};
}

std::string SignatureBody(SignatureContent content) {
  if (content.product) content.files.push_back({ProductRecordPath(*content.product), {0, Sha256::Of("")}});
  std::sort(content.files.begin(), content.files.end(),
            [](const SignedFile& a, const SignedFile& b) { return a.path < b.path; });
  std::string text(kHeader);
  text += '\n';
  text += "key " + FormatPublicKey(content.key) + '\n';
  for (const KeyChange& change : content.keyChanges) text += FormatKeyChange(change) + '\n';
  text += "server-file " + SizeText(content.serverFile.size) + ' ' +
          ToHex(content.serverFile.sha256) + '\n';
  for (const SignedFile& file : content.files) {
    text += "file " + SizeText(file.digest.size) + ' ' + ToHex(file.digest.sha256) + ' ' +
            file.path + '\n';
  }
  return text;
}

std::string WriteSignatureFile(const SignatureContent& content, const KeyPair& key) {
  std::string text = SignatureBody(content);
  text += "signature ed25519 " + ToHex(Sign(key, text)) + '\n';
  return text;
}

std::optional<ParsedSignatureFile> ReadSignatureFile(std::string_view text, std::string& error) {
  if (text.size() > kMaxSignatureFileSize)
    return Damaged(error, "the signature file is larger than " +
                              std::to_string(kMaxSignatureFileSize) + " bytes");
  LineReader reader(text);
  std::string_view line;
  auto at = [&reader](std::string_view what) {
    return "line " + std::to_string(reader.Number()) + ": " + std::string(what);
  };

  if (!reader.Next(line) || line != kHeader)
    return Damaged(error, "it does not start with \"" + std::string(kHeader) + "\"");

  ParsedSignatureFile parsed;
  SignatureContent& content = parsed.content;
  if (!reader.Next(line) || !line.starts_with("key ") ||
      !ParsePublicKey(line.substr(4)).has_value())
    return Damaged(error, at("the signing key is missing or malformed"));
  content.key = *ParsePublicKey(line.substr(4));

  bool haveLine = reader.Next(line);
  while (haveLine && line.starts_with("key-change ")) {
    if (content.keyChanges.size() == kMaxKeyChanges)
      return Damaged(error, at("more than " + std::to_string(kMaxKeyChanges) + " key changes"));
    const std::optional<KeyChange> parsed = ParseKeyChange(line);
    if (!parsed) return Damaged(error, at("malformed key change"));
    const KeyChange& change = *parsed;
    if (!content.keyChanges.empty() && content.keyChanges.back().to != change.from)
      return Damaged(error, at("the key changes do not follow one another"));
    content.keyChanges.push_back(change);
    haveLine = reader.Next(line);
  }
  if (!content.keyChanges.empty() && content.keyChanges.back().to != content.key)
    return Damaged(error, "the last key change does not lead to the signing key");

  if (!haveLine || !line.starts_with("server-file ") ||
      !ReadDigest(line.substr(12), content.serverFile))
    return Damaged(error, at("the server file's digest is missing or malformed"));

  std::string_view previousPath;
  while ((haveLine = reader.Next(line)) && line.starts_with("file ")) {
    if (content.files.size() == kMaxSignedFiles)
      return Damaged(error, at("more than " + std::to_string(kMaxSignedFiles) + " files"));
    std::string_view rest = line.substr(5), size, digest;
    SignedFile file;
    if (!NextField(rest, size) || !NextField(rest, digest) ||
        !ParseSize(size, file.digest.size) || !FromHex(digest, file.digest.sha256))
      return Damaged(error, at("malformed file record"));
    if (!IsServerPath(rest)) return Damaged(error, at("malformed server path"));
    if (rest <= previousPath) return Damaged(error, at("the files are not listed once each in order"));
    previousPath = rest;
    if (IsInProductFolder(rest)) {
      std::optional<SignedProduct> product = ProductOfRecordPath(rest);
      if (!product || file.digest != FileDigest{0, Sha256::Of("")})
        return Damaged(error, at("malformed product record"));
      if (content.product) return Damaged(error, at("a second product record"));
      content.product = std::move(product);
      continue;
    }
    file.path = std::string(rest);
    content.files.push_back(std::move(file));
  }

  const std::size_t signedSize = reader.Consumed() - (haveLine ? line.size() + 1 : 0);
  if (!haveLine || !line.starts_with("signature ed25519 ") ||
      !FromHex(line.substr(18), parsed.signature))
    return Damaged(error, haveLine ? at("unexpected record") : "the signature is missing");
  if (!reader.AtEnd()) return Damaged(error, "text follows the signature");
  parsed.signedText = std::string(text.substr(0, signedSize));
  return parsed;
}

}  // namespace tidewell::signing
