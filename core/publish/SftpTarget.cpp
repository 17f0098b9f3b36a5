#include "publish/SftpTarget.h"

#include <cstdlib>
#include <cstring>

#include <pwd.h>
#include <unistd.h>

#include "signing/Sha256.h"

namespace tidewell::publish {

namespace fs = std::filesystem;

namespace {

int KeyCallback(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match,
                void* context) {
  static_cast<void>(known);
  std::string type;
  switch (found->keytype) {
    case CURLKHTYPE_RSA1:
    case CURLKHTYPE_RSA: type = "RSA"; break;
    case CURLKHTYPE_DSS: type = "DSA"; break;
    case CURLKHTYPE_ECDSA: type = "ECDSA"; break;
    case CURLKHTYPE_ED25519: type = "ED25519"; break;
    default: type = "unknown"; break;
  }
  std::string raw(found->key, found->len);
  if (found->len == 0) {
    // Given as base64 text.
    std::string decoded(std::strlen(found->key), '\0');
    std::size_t size = 0;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(decoded.data()), decoded.size(),
                          found->key, std::strlen(found->key), nullptr, &size, nullptr,
                          sodium_base64_VARIANT_ORIGINAL) == 0)
      decoded.resize(size);
    raw = decoded;
  }
  const signing::Digest digest = signing::Sha256::Of(raw);
  char text[sodium_base64_ENCODED_LEN(32, sodium_base64_VARIANT_ORIGINAL_NO_PADDING)];
  sodium_bin2base64(text, sizeof text, digest.data(), digest.size(),
                    sodium_base64_VARIANT_ORIGINAL_NO_PADDING);
  return static_cast<SftpTarget*>(context)->CheckHostKey(match, type, text);
}

std::string LoginName() {
  if (const char* user = std::getenv("USER"); user && *user) return user;
  if (const passwd* entry = ::getpwuid(::getuid())) return entry->pw_name;
  return {};
}

// The key the login offers when none was named and no agent runs: the
// first of the user's usual key files.
fs::path DefaultIdentity() {
  const fs::path ssh = HomeFolder() / ".ssh";
  for (const char* name : {"id_ed25519", "id_ecdsa", "id_rsa"}) {
    std::error_code ec;
    if (fs::exists(ssh / name, ec)) return ssh / name;
  }
  return {};
}

}  // namespace

SftpTarget::SftpTarget(std::string base, std::string remoteRoot, TargetOptions options)
    : base_(std::move(base)), remoteRoot_(std::move(remoteRoot)), options_(std::move(options)) {
  if (options_.knownHosts.empty()) options_.knownHosts = HomeFolder() / ".ssh" / "known_hosts";
  const char* agent = std::getenv("SSH_AUTH_SOCK");
  if (options_.identity.empty() && !(agent && *agent)) options_.identity = DefaultIdentity();
}

int SftpTarget::CheckHostKey(int match, const std::string& keyType, const std::string& keyBase64) {
  const std::string host = base_.substr(0, base_.find('/', 7));
  const std::string fingerprint = keyType + " key SHA256:" + keyBase64;
  if (match == CURLKHMATCH_OK) return CURLKHSTAT_FINE;
  if (match == CURLKHMATCH_MISMATCH) {
    hostKeyProblem_ = "the host key of " + host + " (" + fingerprint + ") differs from the one in " +
                      options_.knownHosts.string() +
                      ": someone may be in between. Nothing was sent.";
    return CURLKHSTAT_REJECT;
  }
  const std::string question = "The host " + host + " is not known yet (" +
                               options_.knownHosts.string() + "). Its " + fingerprint +
                               ". Trust it and add it to the known hosts?";
  if (options_.acceptHostKey && options_.acceptHostKey(question)) {
    std::error_code ec;
    fs::create_directories(options_.knownHosts.parent_path(), ec);
    return CURLKHSTAT_FINE_ADD_TO_FILE;
  }
  hostKeyProblem_ = "the host " + host + " is not in " + options_.knownHosts.string() +
                    " and was not accepted (" + fingerprint + ")";
  return CURLKHSTAT_REJECT;
}

CurlResult SftpTarget::Run(const CurlRequest& request) {
  const std::string login = base_.find('@') == std::string::npos ? LoginName() : std::string();
  auto attempt = [&] {
    return session_.Perform(request, [&](CURL* h) {
      curl_easy_setopt(h, CURLOPT_SSH_KNOWNHOSTS, options_.knownHosts.c_str());
      curl_easy_setopt(h, CURLOPT_SSH_KEYFUNCTION, KeyCallback);
      curl_easy_setopt(h, CURLOPT_SSH_KEYDATA, this);
      long auth = CURLSSH_AUTH_AGENT;
      if (!options_.identity.empty()) {
        auth |= CURLSSH_AUTH_PUBLICKEY;
        curl_easy_setopt(h, CURLOPT_SSH_PRIVATE_KEYFILE, options_.identity.c_str());
        // Empty: libssh2 derives the public key from the private one.
        curl_easy_setopt(h, CURLOPT_SSH_PUBLIC_KEYFILE, "");
      }
      if (password_) {
        auth |= CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD;
        curl_easy_setopt(h, CURLOPT_PASSWORD, password_->c_str());
      }
      if (!login.empty()) curl_easy_setopt(h, CURLOPT_USERNAME, login.c_str());
      curl_easy_setopt(h, CURLOPT_SSH_AUTH_TYPES, auth);
      curl_easy_setopt(h, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR));
    });
  };
  CurlResult result = attempt();
  if (result.code == CURLE_LOGIN_DENIED && !password_ && options_.askPassword) {
    password_ = options_.askPassword("Password for " + base_.substr(0, base_.find('/', 7)) + ": ");
    if (password_) result = attempt();
  }
  return result;
}

std::string SftpTarget::Url(const std::string& path) const {
  return path.empty() ? base_ + "/" : base_ + "/" + EncodePath(path);
}

std::string SftpTarget::Quoted(const std::string& path) const {
  const std::string full = remoteRoot_.empty() ? path : path.empty() ? remoteRoot_ : remoteRoot_ + "/" + path;
  std::string quoted = "\"";
  for (const char c : full) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

bool SftpTarget::Failed(const CurlResult& result, const std::string& what,
                        std::string& error) const {
  if (result.Ok()) return false;
  if (!hostKeyProblem_.empty()) error = hostKeyProblem_;
  else if (result.code == CURLE_LOGIN_DENIED)
    error = base_ + ": the server refused the login (" + result.Describe() + ")";
  else error = "cannot " + what + " on " + base_ + ": " + result.Describe();
  return true;
}

bool SftpTarget::Stat(const std::string& path, std::optional<std::uint64_t>& size,
                      std::string& error) {
  return StatByHead(path, size, error);
}

bool SftpTarget::IsMissing(const CurlResult& result) const {
  return result.code == CURLE_REMOTE_FILE_NOT_FOUND;
}

bool SftpTarget::Rename(const std::string& from, const std::string& to, std::string& error) {
  // A '*' lets a command fail without failing the rest: the old file may
  // not exist, and a leftover aside name from an earlier cut is cleared.
  const std::string aside = Quoted(TemporaryPathFor(to) + "-old");
  CurlRequest request;
  request.url = Url(ParentOf(to)) + (ParentOf(to).empty() ? "" : "/");
  request.noBody = true;
  request.quote = {"*rm " + aside, "*rename " + Quoted(to) + " " + aside,
                   "rename " + Quoted(from) + " " + Quoted(to), "*rm " + aside};
  if (!Failed(Run(request), "put " + to + " in place", error)) return true;
  // The new file did not go in: the old one goes back to its name.
  request.quote = {"*rename " + aside + " " + Quoted(to)};
  Run(request);
  return false;
}

bool SftpTarget::Remove(const std::string& path, std::string& error) {
  CurlRequest request;
  request.url = Url(ParentOf(path)) + (ParentOf(path).empty() ? "" : "/");
  request.noBody = true;
  request.quote = {"*rm " + Quoted(path)};
  if (Failed(Run(request), "remove " + path, error)) return false;
  std::optional<std::uint64_t> size;
  if (!Stat(path, size, error)) return false;
  if (size) {
    error = "cannot remove " + path + " on " + base_;
    return false;
  }
  return true;
}

}  // namespace tidewell::publish
