#include "signing/UpdateKey.h"

namespace tidewell::signing {

namespace {
constexpr std::string_view kHeader = "Tidewell update key 1\n";
}  // namespace

std::string UpdateKeyResource(const PublicKey& key) {
  return std::string(kHeader) + FormatPublicKey(key) + '\n';
}

std::optional<PublicKey> ReadUpdateKeyResource(std::string_view bytes) {
  if (!bytes.starts_with(kHeader) || !bytes.ends_with('\n')) return std::nullopt;
  bytes.remove_prefix(kHeader.size());
  bytes.remove_suffix(1);
  return ParsePublicKey(bytes);
}

}  // namespace tidewell::signing
