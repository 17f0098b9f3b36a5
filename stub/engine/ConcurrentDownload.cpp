#include "ConcurrentDownload.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>

#include "SerialWorkers.h"

namespace tidewatch::engine {

namespace {

// The state the transfers share: the next file, the bytes written, the
// files waiting for their flush, how the download ends. The observer and the
// log are called under the lock only.
class Batch {
 public:
  // `flushLater`: transfers hand their files to the flushes; otherwise each
  // transfer flushes its own file before it takes the next one.
  Batch(const DownloadTools& tools, const std::vector<NamedDownload>& list, DownloadObserver* observer,
        Workers& workers, bool flushLater)
      : tools_(tools),
        list_(list),
        observer_(observer),
        lock_(workers.NewMutex()),
        changed_(workers.NewCondition()),
        flushLater_(flushLater),
        written_(list.size(), 0) {
    for (const auto& item : list) total_ += PublishedSize(*item.request);
  }

  // One thread's share: the first `transfers` calls transfer files, then help
  // to flush them; the others only flush. Fewer calls than asked for (threads
  // the system would not give) still finish the work.
  void Work(std::size_t transfers) {
    bool transfer = false;
    {
      std::lock_guard<Mutex> held(*lock_);
      transfer = roles_++ < transfers;
      if (transfer) ++transfersRunning_;
    }
    if (transfer) {
      Transfer();
      std::lock_guard<Mutex> held(*lock_);
      --transfersRunning_;
      changed_->NotifyAll();
    }
    Flush();
  }

  // One transfer: takes the next file until none is left or the download stops.
  void Transfer() {
    Gate http(*this);
    while (true) {
      std::size_t index = 0;
      {
        std::lock_guard<Mutex> held(*lock_);
        PollObserver();
        if (halted_ || next_ == list_.size()) return;
        index = next_++;
        if (observer_) observer_->FileStarted(*list_[index].name, index, list_.size());
      }
      const DownloadRequest& request = *list_[index].request;
      Failure failure;
      std::unique_ptr<FileWriter> unflushed;
      const bool ok = DownloadFile(http, tools_.files, tools_.verifier, request,
                                   [this, index](std::uint64_t done) { Progress(index, done); }, failure,
                                   flushLater_ ? &unflushed : nullptr);
      std::lock_guard<Mutex> held(*lock_);
      if (!ok) {
        Halt(failure);
        return;
      }
      tools_.log.Line("downloaded " + request.url);
      if (!unflushed) {
        ++completed_;
        continue;
      }
      toFlush_.push_back({std::move(unflushed), &request});
      changed_->NotifyAll();
    }
  }

  // Flushes the files the transfers hand over until every transfer ended and
  // nothing is left, or the download stopped.
  void Flush() {
    while (true) {
      Pending file;
      {
        std::lock_guard<Mutex> held(*lock_);
        while (toFlush_.empty() && transfersRunning_ > 0 && !halted_) changed_->Wait(*lock_);
        if (toFlush_.empty() || halted_) return;
        file = std::move(toFlush_.front());
        toFlush_.pop_front();
      }
      Failure failure;
      const bool ok = FlushDownloadedFile(*file.writer, *file.request, failure);
      file.writer.reset();
      std::lock_guard<Mutex> held(*lock_);
      if (!ok) {
        Halt(failure);
        return;
      }
      ++completed_;
    }
  }

  DownloadsEnd End(Failure& failure) const {
    if (end_ == DownloadsEnd::Failed) failure = failure_;
    if (end_ == DownloadsEnd::Complete && completed_ != list_.size()) {
      failure = {"not every file was downloaded", 0};
      return DownloadsEnd::Failed;
    }
    return end_;
  }

 private:
  // Passes transfers through to the client's HTTP until the download stops:
  // then the transfer under way ends at its next piece and no other starts.
  class Gate : public Http {
   public:
    explicit Gate(Batch& batch) : batch_(batch) {}
    bool Get(const std::string& url, std::uint64_t offset, HttpSink& sink, Failure& failure) override {
      {
        std::lock_guard<Mutex> held(*batch_.lock_);
        batch_.PollObserver();
      }
      if (batch_.halted_) {
        failure = {"the download was stopped", 0};
        return false;
      }
      Sink gated(sink, batch_);
      return batch_.tools_.http.Get(url, offset, gated, failure);
    }

   private:
    struct Sink : HttpSink {
      Sink(HttpSink& inner, const Batch& batch) : inner(inner), batch(batch) {}
      bool Begin(int status, bool partial, std::optional<std::uint64_t> length) override {
        return !batch.halted_ && inner.Begin(status, partial, length);
      }
      bool Data(const std::uint8_t* data, std::size_t size) override {
        return !batch.halted_ && inner.Data(data, size);
      }
      HttpSink& inner;
      const Batch& batch;
    };
    Batch& batch_;
  };

  // Under the lock. A transfer that ended because the download stopped is no
  // failure of its own.
  void Halt(const Failure& failure) {
    if (halted_) return;
    failure_ = failure;
    end_ = DownloadsEnd::Failed;
    halted_ = true;
    changed_->NotifyAll();
  }

  // Under the lock.
  void PollObserver() {
    if (observer_ && !halted_ && observer_->StopRequested()) {
      end_ = DownloadsEnd::Stopped;
      halted_ = true;
      changed_->NotifyAll();
    }
  }

  // A file's bytes written so far: its count goes back to 0 when a server
  // answers a resumed transfer with the whole file, so the sum is shown as
  // its highest value yet.
  void Progress(std::size_t index, std::uint64_t done) {
    std::lock_guard<Mutex> held(*lock_);
    sum_ = sum_ - written_[index] + done;
    written_[index] = done;
    if (observer_) {
      shown_ = std::max(shown_, sum_);
      observer_->Progress(shown_, std::max(total_, shown_));
    }
    PollObserver();
  }

  struct Pending {
    std::unique_ptr<FileWriter> writer;
    const DownloadRequest* request = nullptr;
  };

  const DownloadTools& tools_;
  const std::vector<NamedDownload>& list_;
  DownloadObserver* observer_;
  std::unique_ptr<Mutex> lock_;
  std::unique_ptr<Condition> changed_;  // a file to flush, a transfer ended, the download stopped
  const bool flushLater_;
  std::size_t roles_ = 0, transfersRunning_ = 0;
  std::deque<Pending> toFlush_;
  std::vector<std::uint64_t> written_;
  std::uint64_t total_ = 0, sum_ = 0, shown_ = 0;
  std::size_t next_ = 0, completed_ = 0;
  std::atomic<bool> halted_{false};  // read by the transfers between pieces without the lock
  DownloadsEnd end_ = DownloadsEnd::Complete;
  Failure failure_;
};

}  // namespace

DownloadsEnd DownloadAll(const DownloadTools& tools, const std::vector<NamedDownload>& list,
                         DownloadObserver* observer, Failure& failure) {
  SerialWorkers serial;
  Workers& workers = tools.workers ? *tools.workers : serial;
  // One file after another: each is flushed as it is done.
  Batch batch(tools, list, observer, workers, tools.workers != nullptr);
  const std::size_t transfers = std::min(kConcurrentTransfers, list.size());
  if (transfers > 0) {
    const std::size_t flushes = tools.workers ? kConcurrentFlushes : 0;
    workers.Run(transfers + flushes, [&batch, transfers] { batch.Work(transfers); });
  }
  return batch.End(failure);
}

}  // namespace tidewatch::engine
