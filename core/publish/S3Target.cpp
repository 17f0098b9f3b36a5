#include "publish/S3Target.h"

#include <cstdlib>
#include <fstream>

namespace tidewell::publish {

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool FindS3Credentials(const fs::path& credentialsFile, S3Credentials& credentials,
                       std::string& error) {
  credentials = {Environment("AWS_ACCESS_KEY_ID"), Environment("AWS_SECRET_ACCESS_KEY"),
                 Environment("AWS_SESSION_TOKEN")};
  if (!credentials.accessKey.empty() && !credentials.secretKey.empty()) return true;

  std::string profile = Environment("AWS_PROFILE");
  if (profile.empty()) profile = "default";
  const fs::path file = credentialsFile.empty() ? HomeFolder() / ".aws" / "credentials" : credentialsFile;
  std::ifstream in(file);
  credentials = {};
  bool inProfile = false;
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line.front() == '[') {
      inProfile = line == "[" + profile + "]";
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inProfile || equals == std::string::npos) continue;
    const std::string name = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
    if (name == "aws_access_key_id") credentials.accessKey = value;
    else if (name == "aws_secret_access_key") credentials.secretKey = value;
    else if (name == "aws_session_token") credentials.sessionToken = value;
  }
  if (!credentials.accessKey.empty() && !credentials.secretKey.empty()) return true;
  error = "no S3 credentials: set AWS_ACCESS_KEY_ID and AWS_SECRET_ACCESS_KEY, or give the "
          "profile \"" + profile + "\" in " + file.string();
  return false;
}

S3Target::S3Target(std::string bucket, std::string prefix, std::string endpoint,
                   std::string region, S3Credentials credentials)
    : bucket_(std::move(bucket)),
      prefix_(std::move(prefix)),
      endpoint_(std::move(endpoint)),
      region_(std::move(region)),
      credentials_(std::move(credentials)) {
  while (!endpoint_.empty() && endpoint_.back() == '/') endpoint_.pop_back();
}

std::string S3Target::Describe() const {
  return "s3://" + bucket_ + (prefix_.empty() ? "" : "/" + prefix_) + " at " + endpoint_;
}

std::string S3Target::Key(const std::string& path) const { return JoinTargetPath(prefix_, path); }

std::string S3Target::Url(const std::string& path) const {
  return endpoint_ + "/" + EncodeSegment(bucket_) + "/" + EncodePath(Key(path));
}

CurlResult S3Target::Run(const CurlRequest& original) {
  CurlRequest request = original;
  // The body is streamed, not hashed ahead: the signature covers the
  // request's head.
  request.headers.push_back("x-amz-content-sha256: UNSIGNED-PAYLOAD");
  if (!credentials_.sessionToken.empty())
    request.headers.push_back("x-amz-security-token: " + credentials_.sessionToken);
  const std::string signing = "aws:amz:" + region_ + ":s3";
  return session_.Perform(request, [&](CURL* h) {
    curl_easy_setopt(h, CURLOPT_AWS_SIGV4, signing.c_str());
    curl_easy_setopt(h, CURLOPT_USERNAME, credentials_.accessKey.c_str());
    curl_easy_setopt(h, CURLOPT_PASSWORD, credentials_.secretKey.c_str());
  });
}

bool S3Target::Failed(const CurlResult& result, const std::string& what, std::string& error) const {
  if (result.Ok() && result.status < 300) return false;
  std::string why = result.Describe();
  if (result.Ok() && result.status == 403) why = "access denied (403): check the credentials";
  error = "cannot " + what + " on " + Describe() + ": " + why;
  return true;
}

bool S3Target::Stat(const std::string& path, std::optional<std::uint64_t>& size,
                    std::string& error) {
  return StatByHead(path, size, error);
}

bool S3Target::Rename(const std::string& from, const std::string& to, std::string& error) {
  CurlRequest request;
  request.url = Url(to);
  request.method = "PUT";
  request.headers = {"x-amz-copy-source: /" + EncodeSegment(bucket_) + "/" + EncodePath(Key(from)),
                     "Content-Length: 0"};
  const CurlResult result = Run(request);
  if (Failed(result, "put " + to + " in place", error)) return false;
  // A copy can fail after its 200 has been sent: the body then holds an
  // error document instead of the copy's result.
  if (result.body.find("<Error>") != std::string::npos) {
    error = "cannot put " + to + " in place on " + Describe() + ": " + result.body;
    return false;
  }
  return Remove(from, error);
}

bool S3Target::Remove(const std::string& path, std::string& error) {
  return RemoveByDelete(path, error);
}

bool S3Target::IsMissing(const CurlResult& result) const {
  return result.Ok() && result.status == 404;
}

}  // namespace tidewell::publish
