#include "Download.h"

namespace tidewatch::engine {

namespace {

// A dropped connection is resumed this many times per file.
constexpr int kAttempts = 6;

std::string StatusFailure(const std::string& url, int status) {
  return "the server answered " + std::to_string(status) + " for " + url;
}

Failure WorkFolderFailure(const DownloadRequest& request, const Failure& cause) {
  return {"could not write " + request.url + " to the work folder: " + cause.what, cause.code};
}

// Writes the body of one reply to the file, from where the file stands.
class FileSink : public HttpSink {
 public:
  FileSink(FileSystem& files, UpdateVerifier* verifier, const DownloadRequest& request,
           const std::function<void(std::uint64_t)>& progress, std::uint64_t written)
      : files_(files), verifier_(verifier), request_(request), progress_(progress), written_(written) {}

  bool Begin(int status, bool partial, std::optional<std::uint64_t> length) override {
    status_ = status;
    if (status != 200 && status != 206) return false;
    // A part of the file that is not the one asked for (or none was asked
    // for) would be joined to the wrong bytes.
    if (status == 206 && (!partial || written_ == 0)) {
      wrongRange_ = true;
      return false;
    }
    if (written_ > 0 && !partial) written_ = 0;  // the range was not honoured: from the start again
    if (!writer_ || written_ == 0) {
      writer_.reset();  // the file is opened without sharing: close it before opening it again
      writer_ = files_.OpenWrite(request_.path, written_ > 0, fileFailure_);
      if (!writer_) return false;
      if (written_ == 0 && verifier_) check_ = verifier_->BeginFile(request_.serverPath);
    }
    if (length && request_.size && written_ + *length != Published()) {
      sizeMismatch_ = true;
      return false;
    }
    if (length && *length > Limit() - written_) {
      overrun_ = true;
      return false;
    }
    return true;
  }

  bool Data(const std::uint8_t* data, std::size_t size) override {
    if (size > Limit() - written_) {
      overrun_ = true;
      return false;
    }
    if (!writer_->Write(data, size, fileFailure_)) return false;
    if (check_) check_->Feed(data, size);
    written_ += size;
    if (progress_) progress_(written_);
    return true;
  }

  std::uint64_t Published() const { return PublishedSize(request_); }
  // Where the file must end: the signed size, else the published one.
  std::uint64_t Limit() const {
    if (check_)
      if (const auto size = check_->Size()) return *size;
    return request_.size ? Published() : request_.unsizedLimit;
  }

  FileSystem& files_;
  UpdateVerifier* verifier_;
  const DownloadRequest& request_;
  const std::function<void(std::uint64_t)>& progress_;
  std::uint64_t written_;
  std::unique_ptr<FileWriter> writer_;
  std::unique_ptr<DownloadCheck> check_;
  int status_ = 0;
  bool sizeMismatch_ = false;
  bool overrun_ = false;
  bool wrongRange_ = false;
  Failure fileFailure_;
};

// Collects a small body in memory.
class MemorySink : public HttpSink {
 public:
  MemorySink(std::string& body, std::size_t limit) : body_(body), limit_(limit) {}
  bool Begin(int status, bool, std::optional<std::uint64_t> length) override {
    status_ = status;
    body_.clear();
    if (length && *length > limit_) tooLarge_ = true;
    return status == 200 && !tooLarge_;
  }
  bool Data(const std::uint8_t* data, std::size_t size) override {
    if (body_.size() + size > limit_) return tooLarge_ = true, false;
    body_.append(reinterpret_cast<const char*>(data), size);
    return true;
  }
  std::string& body_;
  std::size_t limit_;
  int status_ = 0;
  bool tooLarge_ = false;
};

}  // namespace

std::uint64_t PublishedSize(const DownloadRequest& request) {
  return request.size ? static_cast<std::uint32_t>(*request.size) : 0;
}

bool DownloadFile(Http& http, FileSystem& files, UpdateVerifier* verifier, const DownloadRequest& request,
                  const std::function<void(std::uint64_t)>& progress, Failure& failure,
                  std::unique_ptr<FileWriter>* unflushed) {
  FileSink sink(files, verifier, request, progress, 0);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Failure transfer;
    const std::uint64_t before = sink.written_;
    sink.status_ = 0;
    const bool ok = http.Get(request.url, sink.written_, sink, transfer);
    if (!sink.fileFailure_.what.empty()) {
      failure = WorkFolderFailure(request, sink.fileFailure_);
      return false;
    }
    if (sink.sizeMismatch_) {
      failure = {"the size of " + request.url + " is not the published " + std::to_string(sink.Published()) +
                     " bytes",
                 0};
      return false;
    }
    if (sink.overrun_) {
      failure = {"the server sent more than the " + std::to_string(sink.Limit()) + " bytes " + request.url +
                     " may have",
                 0};
      return false;
    }
    if (sink.wrongRange_) {
      failure = {"the server answered " + request.url + " with a part of it that was not asked for", 0};
      return false;
    }
    if (sink.status_ != 0 && sink.status_ != 200 && sink.status_ != 206) {
      failure = {StatusFailure(request.url, sink.status_), 0};
      return false;
    }
    if (ok) {
      if (!sink.writer_) {  // an empty body
        sink.writer_ = files.OpenWrite(request.path, false, failure);
        if (!sink.writer_) return false;
        if (verifier) sink.check_ = verifier->BeginFile(request.serverPath);
      }
      if (request.size && sink.written_ != sink.Published()) {
        failure = {"the size of " + request.url + " is " + std::to_string(sink.written_) + " bytes, not the published " +
                       std::to_string(sink.Published()),
                   0};
        return false;
      }
      std::string reason;
      if (sink.check_ && !sink.check_->Finish(reason)) {
        failure = {request.url + " is not the file that was published: " + reason, 0};
        return false;
      }
      if (unflushed) {
        *unflushed = std::move(sink.writer_);
        return true;
      }
      return FlushDownloadedFile(*sink.writer_, request, failure);
    }
    failure = {"the download of " + request.url + " failed: " + transfer.what, transfer.code};
    // Only a connection that brought something is tried again at once.
    if (sink.status_ == 0 && sink.written_ == before && attempt > 0) return false;
  }
  return false;
}

bool RangeReplyMatches(std::string_view contentRange, std::uint64_t offset, std::optional<std::uint64_t> length) {
  auto trimmed = [](std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
  };
  // Digits only, without overflow.
  auto number = [](std::string_view digits, std::uint64_t& n) {
    if (digits.empty() || digits.size() > 19) return false;
    n = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return false;
      n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
  };
  std::string_view text = trimmed(contentRange);
  if (text.size() < 6 || (text.substr(0, 6) != "bytes " && text.substr(0, 6) != "Bytes ")) return false;
  text = trimmed(text.substr(6));
  const size_t dash = text.find('-'), slash = text.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return false;
  std::uint64_t first = 0, last = 0, total = 0;
  if (!number(text.substr(0, dash), first) || !number(text.substr(dash + 1, slash - dash - 1), last)) return false;
  const std::string_view totalText = text.substr(slash + 1);
  if (totalText != "*" && (!number(totalText, total) || last >= total)) return false;
  return first == offset && last >= first && (!length || *length == last - first + 1);
}

bool FlushDownloadedFile(FileWriter& writer, const DownloadRequest& request, Failure& failure) {
  Failure cause;
  if (writer.Flush(cause)) return true;
  failure = WorkFolderFailure(request, cause);
  return false;
}

bool FetchDocument(Http& http, const std::string& url, std::size_t limit, std::string& body, Failure& failure) {
  MemorySink sink(body, limit);
  Failure transfer;
  const bool ok = http.Get(url, 0, sink, transfer);
  if (sink.status_ != 0 && sink.status_ != 200) {
    failure = {StatusFailure(url, sink.status_), 0};
    return false;
  }
  if (sink.tooLarge_) {
    failure = {url + " is larger than " + std::to_string(limit) + " bytes", 0};
    return false;
  }
  if (!ok) {
    failure = {"could not fetch " + url + ": " + transfer.what, transfer.code};
    return false;
  }
  return true;
}

}  // namespace tidewatch::engine
