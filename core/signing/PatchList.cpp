#include "signing/PatchList.h"

#include <algorithm>
#include <tuple>

#include "signing/Hex.h"
#include "signing/RecordFields.h"

namespace tidewell::signing {

namespace {

constexpr std::string_view kHeader = "Tidewell update patches 1";

bool Before(const ListedPatch& a, const ListedPatch& b) {
  return std::tie(a.path, a.oldSha256) < std::tie(b.path, b.oldSha256);
}

std::string DigestText(const FileDigest& digest) {
  return std::to_string(digest.size) + ' ' + ToHex(digest.sha256);
}

std::optional<ParsedPatchList> Damaged(std::string& error, std::string text) {
  error = std::move(text);
  return std::nullopt;
}

}  // namespace

std::string PatchServerPath(std::string_view filePath, const Digest& oldSha256) {
  return std::string(filePath) + '.' + ToHex(oldSha256).substr(0, 16) + std::string(kPatchSuffix);
}

std::string WritePatchList(PatchListContent content, const KeyPair& key) {
  std::sort(content.patches.begin(), content.patches.end(), Before);
  std::string text(kHeader);
  text += '\n';
  text += "key " + FormatPublicKey(content.key) + '\n';
  text += "server-file " + DigestText(content.serverFile) + '\n';
  for (const ListedPatch& patch : content.patches)
    text += "patch " + ToHex(patch.oldSha256) + ' ' + DigestText(patch.patch) + ' ' + patch.path + '\n';
  text += "signature ed25519 " + ToHex(Sign(key, text)) + '\n';
  return text;
}

std::optional<ParsedPatchList> ReadPatchList(std::string_view text, std::string& error) {
  if (text.size() > kMaxPatchListSize)
    return Damaged(error, "the patch list is larger than " + std::to_string(kMaxPatchListSize) + " bytes");
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) return Damaged(error, "the last line does not end in LF");
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  auto at = [](std::size_t index, std::string_view what) {
    return "line " + std::to_string(index + 1) + ": " + std::string(what);
  };
  if (lines.empty() || lines[0] != kHeader)
    return Damaged(error, "it does not start with \"" + std::string(kHeader) + "\"");

  ParsedPatchList parsed;
  PatchListContent& content = parsed.content;
  std::optional<PublicKey> key;
  if (lines.size() < 2 || !lines[1].starts_with("key ") || !(key = ParsePublicKey(lines[1].substr(4))))
    return Damaged(error, at(1, "the signing key is missing or malformed"));
  content.key = *key;

  std::string_view size, digest;
  std::string_view rest = lines.size() > 2 ? lines[2] : std::string_view();
  if (!rest.starts_with("server-file ") || (rest.remove_prefix(12), !NextField(rest, size)) ||
      !ParseSize(size, content.serverFile.size) || !FromHex(rest, content.serverFile.sha256))
    return Damaged(error, at(2, "the server file's digest is missing or malformed"));

  std::size_t index = 3;
  for (; index < lines.size() && lines[index].starts_with("patch "); ++index) {
    if (content.patches.size() == kMaxListedPatches)
      return Damaged(error, at(index, "more than " + std::to_string(kMaxListedPatches) + " patches"));
    rest = lines[index].substr(6);
    std::string_view old;
    ListedPatch patch;
    if (!NextField(rest, old) || !NextField(rest, size) || !NextField(rest, digest) ||
        !FromHex(old, patch.oldSha256) || !ParseSize(size, patch.patch.size) ||
        !FromHex(digest, patch.patch.sha256))
      return Damaged(error, at(index, "malformed patch record"));
    if (!IsServerPath(rest) || !IsServerPath(PatchServerPath(rest, patch.oldSha256)))
      return Damaged(error, at(index, "malformed server path"));
    patch.path = std::string(rest);
    if (!content.patches.empty() && !Before(content.patches.back(), patch))
      return Damaged(error, at(index, "the patches are not listed once each in order"));
    content.patches.push_back(std::move(patch));
  }

  if (index >= lines.size()) return Damaged(error, "the signature is missing");
  if (!lines[index].starts_with("signature ed25519 ") ||
      !FromHex(lines[index].substr(18), parsed.signature))
    return Damaged(error, at(index, "unexpected record"));
  if (index + 1 != lines.size()) return Damaged(error, "text follows the signature");
  parsed.signedText = std::string(text.substr(0, static_cast<std::size_t>(lines[index].data() - text.data())));
  if (!Verify(content.key, parsed.signedText, parsed.signature))
    return Damaged(error, "the signature does not match the list");
  return parsed;
}

}  // namespace tidewell::signing
