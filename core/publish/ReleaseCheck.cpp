#include "publish/ReleaseCheck.h"

#include <algorithm>

#include "publish/CurlSession.h"
#include "signing/PatchList.h"
#include "signing/SignatureCheck.h"
#include "signing/SignatureFile.h"

namespace tidewell::publish {

namespace {

constexpr std::size_t kMaxServerFile = 64u << 20;

void ClientLike(CURL* h) {
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_USERAGENT, "Tidewell release check");
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
}

bool LooksLikeHtml(std::string_view start) {
  const std::size_t first = start.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return false;
  std::string head(start.substr(first, 15));
  std::transform(head.begin(), head.end(), head.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return head.rfind("<!doctype html", 0) == 0 || head.rfind("<html", 0) == 0 ||
         head.rfind("<head", 0) == 0;
}

bool IsHtmlName(const std::string& path) {
  std::string lower = path;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.ends_with(".htm") || lower.ends_with(".html");
}

// What a failed or odd answer means for a client, or empty when it is a
// document. `html`: the body is an HTML page where none belongs.
std::string AnswerProblem(const CurlResult& result, bool htmlExpected, std::string_view start) {
  if (!result.Ok()) return "cannot be fetched: " + result.Describe();
  if (result.status == 404 || result.status == 410) return "missing (" + std::to_string(result.status) + ")";
  if (result.status != 200) return "the server answered " + std::to_string(result.status);
  if (!htmlExpected && (result.contentType.rfind("text/html", 0) == 0 || LooksLikeHtml(start)))
    return "an HTML page instead of the file";
  return {};
}

// A cache between the server and the client may hand out an old copy for a
// while after a publish: said when the answer shows one.
std::string CacheNote(const CurlResult& result) {
  if (const auto age = result.headers.find("age"); age != result.headers.end())
    return " (a cache answered: Age " + age->second + " s)";
  if (const auto cache = result.headers.find("x-cache");
      cache != result.headers.end() && cache->second.find("HIT") != std::string::npos)
    return " (a cache answered: X-Cache " + cache->second + ")";
  return {};
}

}  // namespace

bool CheckPublishedRelease(const ReleaseAddresses& addresses, const signing::PublicKey& key,
                           const std::optional<std::string>& builtServerFile,
                           const CheckProgressFn& progress, ReleaseCheckReport& report,
                           std::string& error) {
  report = {};
  CurlSession session;
  auto fetch = [&](const std::string& url, std::size_t limit, CurlResult& result) {
    CurlRequest request;
    request.url = url;
    request.keepAtMost = limit;
    result = session.Perform(request, ClientLike);
    if (result.tooLarge) return "larger than a client reads (" + std::to_string(limit) + " bytes)";
    return AnswerProblem(result, false, result.body);
  };

  const std::string& serverUrl = addresses.serverFileUrl;
  const std::string signatureUrl = SignatureUrl(serverUrl);
  CurlResult server, signature;
  if (const std::string problem = fetch(serverUrl, kMaxServerFile, server); !problem.empty()) {
    report.problems.push_back({serverUrl, problem});
    return true;
  }
  if (const std::string problem = fetch(signatureUrl, signing::kMaxSignatureFileSize, signature);
      !problem.empty()) {
    report.problems.push_back({signatureUrl, problem});
    return true;
  }
  std::string why;
  const auto parsed = signing::ReadSignatureFile(signature.body, why);
  if (!parsed) {
    report.problems.push_back({signatureUrl, "damaged: " + why});
    return true;
  }
  std::vector<signing::PublicKey> signer;
  if (!signing::CheckServerFile(*parsed, key, server.body, signer, why)) {
    report.problems.push_back({serverUrl, "refused by its signature: " + why});
    return true;
  }
  if (builtServerFile && *builtServerFile != server.body)
    report.problems.push_back({serverUrl,
                               "not the one built in the project folder (an older release, or a "
                               "copy kept by a cache)" + CacheNote(server)});

  // The patch list, when the release has one: its patches are checked as
  // files. Without one, clients download whole files.
  std::vector<signing::SignedFile> toCheck = parsed->content.files;
  const std::string listUrl = PatchListUrl(serverUrl);
  CurlResult listAnswer;
  const std::string listProblem = fetch(listUrl, signing::kMaxPatchListSize, listAnswer);
  const bool noList = listAnswer.Ok() && (listAnswer.status == 404 || listAnswer.status == 410);
  if (noList) {
    // A release without patches.
  } else if (!listProblem.empty()) {
    report.problems.push_back({listUrl, listProblem});
  } else if (const auto list = signing::ReadPatchList(listAnswer.body, why); !list) {
    report.problems.push_back({listUrl, "damaged: " + why});
  } else if (list->content.key != parsed->content.key ||
             list->content.serverFile != parsed->content.serverFile) {
    report.problems.push_back({listUrl, "not for this update XML file: clients ignore its patches"});
  } else {
    for (const signing::ListedPatch& patch : list->content.patches)
      toCheck.push_back({signing::PatchServerPath(patch.path, patch.oldSha256), patch.patch});
  }

  std::uint64_t total = 0;
  for (const signing::SignedFile& file : toCheck) total += file.digest.size;
  for (const signing::SignedFile& file : toCheck) {
    const std::string url = FileUrl(addresses.filesUrl, file.path);
    signing::Sha256 hash;
    std::uint64_t size = 0;
    std::string start;
    bool cancelled = false;
    CurlRequest request;
    request.url = url;
    request.sink = [&](const char* data, std::size_t bytes) {
      if (start.size() < 64) start.append(data, std::min<std::size_t>(bytes, 64 - start.size()));
      // Past the signed size nothing more is needed: the size is wrong.
      size += bytes;
      if (size > file.digest.size) return false;
      hash.Update(reinterpret_cast<const std::uint8_t*>(data), bytes);
      if (progress && !progress(url, report.bytesChecked + size, total)) {
        cancelled = true;
        return false;
      }
      return true;
    };
    CurlResult result = session.Perform(request, ClientLike);
    if (cancelled) {
      error = "the check was cancelled";
      return false;
    }
    ++report.filesChecked;
    report.bytesChecked += file.digest.size;
    if (size > file.digest.size) {
      result.code = CURLE_OK;
      if (const std::string problem = AnswerProblem(result, IsHtmlName(file.path), start); !problem.empty())
        report.problems.push_back({url, problem});
      else
        report.problems.push_back({url, "other size: more than the signed " +
                                            std::to_string(file.digest.size) + " bytes" +
                                            CacheNote(result)});
      continue;
    }
    if (const std::string problem = AnswerProblem(result, IsHtmlName(file.path), start); !problem.empty()) {
      report.problems.push_back({url, problem});
      continue;
    }
    if (size != file.digest.size) {
      report.problems.push_back({url, "other size: " + std::to_string(size) + " bytes, signed " +
                                          std::to_string(file.digest.size) + CacheNote(result)});
      continue;
    }
    if (hash.Finish() != file.digest.sha256)
      report.problems.push_back(
          {url, "other content: its SHA-256 is not the signed one" + CacheNote(result)});
  }
  return true;
}

}  // namespace tidewell::publish
