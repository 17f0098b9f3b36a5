#include "signing/SigningKey.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/AtomicFile.h"
#include "signing/Hex.h"

namespace tidewell {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "Tidewell signing key 1";
// A key file is a few lines; anything much larger is not one.
constexpr std::uintmax_t kMaxKeyFileSize = 8192;

std::optional<SigningKey> Damaged(std::string& error, std::string text) {
  error = std::move(text);
  return std::nullopt;
}

bool NextLine(std::string_view& rest, std::string_view& line) {
  const std::size_t end = rest.find('\n');
  if (end == std::string_view::npos) return false;
  line = rest.substr(0, end);
  rest.remove_prefix(end + 1);
  return true;
}

}  // namespace

std::string WriteSigningKeyText(const SigningKey& key) {
  std::string text(kHeader);
  text += "\npublic " + signing::FormatPublicKey(key.pair.publicKey) + '\n';
  text += "secret ed25519 " + signing::ToHex(key.pair.seed) + '\n';
  for (const signing::KeyChange& change : key.keyChanges)
    text += signing::FormatKeyChange(change) + '\n';
  return text;
}

std::optional<SigningKey> ReadSigningKeyText(std::string_view text, std::string& error) {
  std::string_view rest = text, line;
  if (!NextLine(rest, line) || line != kHeader)
    return Damaged(error, "it is not a Tidewell signing key");
  SigningKey key;
  std::optional<signing::PublicKey> publicKey;
  if (!NextLine(rest, line) || !line.starts_with("public ") ||
      !(publicKey = signing::ParsePublicKey(line.substr(7))))
    return Damaged(error, "its public key is missing or malformed");
  signing::Seed seed{};
  if (!NextLine(rest, line) || !line.starts_with("secret ed25519 ") ||
      !signing::FromHex(line.substr(15), seed))
    return Damaged(error, "its secret key is missing or malformed");
  key.pair = signing::KeyPairFromSeed(seed);
  if (key.pair.publicKey != *publicKey)
    return Damaged(error, "its public key does not belong to its secret key");
  while (NextLine(rest, line)) {
    const std::optional<signing::KeyChange> parsed = signing::ParseKeyChange(line);
    if (!parsed || key.keyChanges.size() == signing::kMaxKeyChanges)
      return Damaged(error, "a key change is malformed");
    const signing::KeyChange& change = *parsed;
    if (!signing::Verify(change.from, signing::KeyChangeMessage(change.from, change.to),
                         change.endorsement))
      return Damaged(error, "a key change is not signed by its old key");
    if (!key.keyChanges.empty() && key.keyChanges.back().to != change.from)
      return Damaged(error, "its key changes do not follow one another");
    key.keyChanges.push_back(change);
  }
  if (!rest.empty()) return Damaged(error, "its last line is incomplete");
  if (!key.keyChanges.empty() && key.keyChanges.back().to != key.pair.publicKey)
    return Damaged(error, "its key changes do not lead to it");
  return key;
}

std::optional<SigningKey> LoadSigningKey(const fs::path& file, std::string& error) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec) return Damaged(error, "cannot read the signing key " + file.string() + ": " + ec.message());
  if (size > kMaxKeyFileSize)
    return Damaged(error, "the signing key " + file.string() + " is damaged: it is too large");
  std::ifstream in(file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return Damaged(error, "cannot read the signing key " + file.string());
  std::string why;
  auto key = ReadSigningKeyText(text, why);
  if (!key) return Damaged(error, "the signing key " + file.string() + " is damaged: " + why);
  return key;
}

bool SaveSigningKey(const fs::path& file, const SigningKey& key, std::string& error) {
  std::error_code ec;
  const fs::path folder = file.parent_path();
  if (!folder.empty() && !fs::exists(folder, ec)) {
    fs::create_directories(folder, ec);
    if (ec) {
      error = "cannot make the folder " + folder.string() + ": " + ec.message();
      return false;
    }
    fs::permissions(folder, fs::perms::owner_all, ec);
  }
  const std::string text = WriteSigningKeyText(key);
  const bool written = ReplaceFileAtomically(
      file,
      [&text](const fs::path& temporary) {
        // Private before a byte of the secret is written.
        std::error_code permissionError;
        fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write,
                        permissionError);
        if (permissionError) return false;
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        return static_cast<bool>(out);
      },
      &error);
  // A replaced file lends its mode to the new one; a key stays private.
  if (written) fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, ec);
  return written;
}

SigningKey SucceedKey(const SigningKey& previous, const signing::KeyPair& next) {
  SigningKey key;
  key.pair = next;
  key.keyChanges = previous.keyChanges;
  key.keyChanges.push_back(signing::EndorseKey(previous.pair, next.publicKey));
  if (key.keyChanges.size() > signing::kMaxKeyChanges)
    key.keyChanges.erase(key.keyChanges.begin(),
                         key.keyChanges.end() - static_cast<std::ptrdiff_t>(signing::kMaxKeyChanges));
  return key;
}

}  // namespace tidewell
