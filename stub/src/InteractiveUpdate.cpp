#include "InteractiveUpdate.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "ClientPages.h"
#include "ClientVariables.h"
#include "TestAnswers.h"
#include "Text.h"
#include "UpdateWindow.h"
#include "UserMessages.h"
#include "WideText.h"

namespace tidewatch {

namespace {

using engine::UpdateOutcome;

// What the window's thread hears from the worker.
enum Posted : WPARAM { kProgress = 1, kDownloaded, kApplied };
enum Call : WPARAM { kAskToClose = 1 };
constexpr UINT kTickMs = 250;

std::string OneLine(std::u16string_view text) {
  std::u16string line(text);
  for (auto& c : line)
    if (c == u'\r' || c == u'\n') c = u' ';
  return engine::ToUtf8(line);
}

// The message boxes of the update: logged, and answered by the test hooks
// when they hold an answer.
class Asker {
 public:
  Asker(engine::Log& log, TestAnswers& answers, std::u16string title)
      : log_(log), answers_(answers), title_(std::move(title)) {}

  int Ask(HWND owner, std::u16string_view text, UINT flags) {
    log_.Line("message: " + OneLine(text));
    if (const int answer = answers_.TakeBoxAnswer()) return answer;
    return MessageBoxW(owner, ToWide(text).c_str(), ToWide(title_).c_str(), flags | MB_SETFOREGROUND);
  }

 private:
  engine::Log& log_;
  TestAnswers& answers_;
  std::u16string title_;
};

class PageFlow final : public PageEvents, public engine::DownloadObserver {
 public:
  PageFlow(engine::UpdateSession& session, const engine::ClientSettings& settings,
           const engine::UpdateServices& services, const PageOptions& options, TestAnswers& answers, Asker& asker)
      : session_(session),
        settings_(settings),
        services_(services),
        options_(options),
        answers_(answers),
        asker_(asker),
        window_(ClientWindowTitle(settings.appTitle, settings.companyName), *this) {}

  ~PageFlow() override { JoinWorker(); }

  // The pages of an offered update; answers the outcome.
  UpdateOutcome RunUpdate() {
    const engine::ServerUpdate& update = session_.update();
    AddPage(PageView::Text, u"welcome", AppHeading(), update.welcome);
    AddPage(PageView::Text, u"reason", u"Reason for the update", update.reason);
    AddPage(PageView::Terms, u"terms", u"Terms and conditions", update.license);
    if (!window_.Create()) return Failed("could not open the update window");
    if (answers_.Active()) window_.StartTicks(kTickMs);
    if (pages_.empty()) {
      StartDownload();
    } else {
      ShowPage(0);
    }
    window_.Run();
    return outcome_;
  }

  // "Update not needed": one page with its text.
  void RunNotNeeded(const std::u16string& text) {
    if (!window_.Create()) return;
    if (answers_.Active()) window_.StartTicks(kTickMs);
    stage_ = Stage::Final;
    Show({PageView::Text, u"notneeded", u"No update needed", engine::WithWindowsLineBreaks(text), {}, u"&Close", {}});
    window_.Run();
  }

  // DownloadObserver, on the worker's thread.
  void FileStarted(const std::u16string& name, std::size_t index, std::size_t count) override {
    EnterCriticalSection(&lock_);
    file_ = name;
    fileIndex_ = index;
    fileCount_ = count;
    LeaveCriticalSection(&lock_);
  }
  void Progress(std::uint64_t done, std::uint64_t total) override {
    done_ = done;
    total_ = total;
    if (!progressPosted_.exchange(true)) window_.Post(kProgress, 0);
  }
  bool StopRequested() override { return stop_; }

  // PageEvents, on the window's thread.
  void OnBack() override {
    if (stage_ == Stage::Pages && index_ > 0) ShowPage(index_ - 1);
  }
  void OnNext() override {
    if (stage_ == Stage::Pages) {
      if (index_ + 1 < pages_.size()) ShowPage(index_ + 1);
      else StartDownload();
    } else if (stage_ == Stage::Final) {
      window_.Close();
    }
  }
  void OnCancel() override {
    if (stage_ == Stage::Pages) CancelBeforeDownload();
    else if (stage_ == Stage::Downloading) AskToStopDownload();
    else if (stage_ == Stage::Final) window_.Close();
  }
  void OnCloseRequest() override {
    switch (stage_) {
      case Stage::Applying: return AskToCloseAfterApply();
      case Stage::Downloading: return AskToStopDownload();
      case Stage::Pages: return CancelBeforeDownload();
      case Stage::Final: return window_.Close();
    }
  }
  void OnPosted(WPARAM what, LPARAM value) override {
    if (what == kProgress) ShowProgress();
    else if (what == kDownloaded) Downloaded(value != 0);
    else if (what == kApplied) Applied(value != 0);
  }
  LRESULT OnCall(WPARAM what) override {
    if (what != kAskToClose) return 0;
    const std::u16string main = settings_.mainExecutable.empty() ? AppName() : settings_.mainExecutable;
    const std::u16string text = AppName() + u" is running (" + main + u"), so the update cannot replace it.\r\n\r\n" +
                                u"Close " + AppName() + u", then choose Retry. Choose Cancel to install the update " +
                                u"another time; nothing has been changed.";
    return asker_.Ask(window_.handle(), text, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
  }
  void OnTick() override { answers_.Tick(window_); }

  const UpdateOutcome& outcome() const { return outcome_; }

 private:
  enum class Stage { Pages, Downloading, Applying, Final };

  std::u16string AppName() const { return settings_.appTitle.empty() ? u"The application" : settings_.appTitle; }
  std::u16string AppHeading() const {
    return (settings_.appTitle.empty() ? u"Update" : settings_.appTitle) + u" " + session_.update().updateVersion;
  }

  void AddPage(PageView::Kind kind, const std::u16string& name, const std::u16string& heading,
               const std::u16string& text) {
    if (text.empty()) return;
    const std::u16string filled = engine::WithWindowsLineBreaks(engine::FillClientVariables(text, services_.variables));
    PageView page{kind, name, heading, filled, {}, u"&Next >", u"Cancel"};
    if (!pages_.empty()) page.back = u"< &Back";
    pages_.push_back(page);
  }

  void Show(const PageView& page) {
    window_.Show(page);
    answers_.Snapshot(window_, page.name);
  }

  void ShowPage(std::size_t index) {
    index_ = index;
    Show(pages_[index]);
    WelcomeShown();
  }

  // The programs of the welcome point start when the first page shows.
  void WelcomeShown() {
    if (welcomeStarted_) return;
    welcomeStarted_ = true;
    session_.Execute(engine::ExecutionPoint::Welcome);
  }

  void CancelBeforeDownload() {
    services_.log.Line("the user cancelled the update before the download: nothing was changed");
    Cancelled();
  }

  void Cancelled() {
    if (settings_.waitForNextVersion) session_.Decline();
    outcome_.result = UpdateOutcome::Cancelled;
    outcome_.message.clear();
    window_.Close();
  }

  void StartDownload() {
    WelcomeShown();
    stage_ = Stage::Downloading;
    // The page's snapshot is taken once the transfer is under way.
    window_.Show({PageView::Progress, u"download", u"Downloading the update", {}, {}, {}, u"Cancel"});
    window_.SetProgress(u"Preparing the download...", {}, 0);
    started_ = GetTickCount64();
    StartWorker([](PageFlow& flow) { flow.window_.Post(kDownloaded, flow.session_.Download(&flow)); });
  }

  void ShowProgress() {
    progressPosted_ = false;
    if (stage_ != Stage::Downloading || stop_) return;
    EnterCriticalSection(&lock_);
    const std::u16string file = file_;
    const std::size_t index = fileIndex_, count = fileCount_;
    LeaveCriticalSection(&lock_);
    const std::uint64_t done = done_, total = total_;
    const ULONGLONG elapsed = GetTickCount64() - started_;
    std::u16string detail = engine::ByteCount(done) + u" of " + engine::ByteCount(total);
    if (elapsed >= 500) detail += u"   (" + engine::ByteCount(done * 1000 / elapsed) + u"/s)";
    const int permille = total ? static_cast<int>(done * 1000 / total) : 0;
    window_.SetProgress(u"Downloading " + file + u" (" + engine::ToU16(std::to_string(index + 1)) + u" of " +
                            engine::ToU16(std::to_string(count)) + u")",
                        detail, permille);
    if (permille >= 400) answers_.Snapshot(window_, u"download");
  }

  void AskToStopDownload() {
    if (stop_) return;
    if (options_.warnOnExit) {
      std::u16string text = u"The update is being downloaded. If you stop now, nothing is changed";
      text += settings_.waitForNextVersion ? u" and version " + session_.update().updateVersion +
                                                 u" is not offered again."
                                           : u" and the update is offered again later.";
      text += u"\r\n\r\nStop the update?";
      const bool yes = asker_.Ask(window_.handle(), text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
      // The download may have ended while the question was open.
      if (!yes || stage_ != Stage::Downloading) return;
    }
    stop_ = true;
    window_.EnableCancel(false);
    window_.SetProgress(u"Stopping the download...", {}, 0);
  }

  void Downloaded(bool ok) {
    JoinWorker();
    if (!ok) {
      if (session_.outcome().result == UpdateOutcome::Cancelled) return Cancelled();
      return Finish();
    }
    answers_.Snapshot(window_, u"download");  // a transfer too quick to show its way
    stage_ = Stage::Applying;
    window_.Show({PageView::Progress, u"install", u"Installing the update", {}, {}, {}, u"Cancel"});
    window_.EnableCancel(false);
    window_.SetProgress(u"Installing the new files...", u"The update is installed as a whole or not at all.", 1000);
    answers_.Snapshot(window_, u"install");
    StartWorker([](PageFlow& flow) {
      const bool applied = flow.session_.Apply([&flow] { return flow.window_.CallFromWorker(kAskToClose) != 0; });
      flow.window_.Post(kApplied, applied);
    });
  }

  void AskToCloseAfterApply() {
    if (closeWhenDone_) return;
    if (options_.warnOnExit) {
      const std::u16string text =
          u"The update is being installed and cannot be stopped halfway. The window closes as soon as the "
          u"installation has ended or been undone.\r\n\r\nClose the window then?";
      if (asker_.Ask(window_.handle(), text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return;
      // The installation may have ended while the question was open.
      if (stage_ != Stage::Applying) return window_.Close();
    }
    closeWhenDone_ = true;
    window_.SetProgress(u"Closing when the installation has ended...", {}, 1000);
  }

  void Applied(bool ok) {
    JoinWorker();
    (void)ok;
    Finish();
  }

  void Finish() {
    outcome_ = session_.outcome();
    if (outcome_.result == UpdateOutcome::Failed) {
      ReportFailure();
      return window_.Close();
    }
    if (outcome_.result != UpdateOutcome::Updated || closeWhenDone_ || outcome_.message.empty()) {
      return window_.Close();
    }
    stage_ = Stage::Final;
    Show({PageView::Text, u"complete", u"Installation complete", engine::WithWindowsLineBreaks(outcome_.message), {},
          u"&Finish", {}});
    outcome_.message.clear();
  }

  void ReportFailure() {
    if (!options_.showErrors) return;
    asker_.Ask(window_.handle(),
               engine::FailureMessage(outcome_.error, settings_.appTitle, settings_.mainExecutable,
                                      settings_.companyName),
               MB_OK | MB_ICONERROR);
  }

  UpdateOutcome Failed(const std::string& what) {
    services_.log.Line("error: " + what);
    outcome_.result = UpdateOutcome::Failed;
    outcome_.error = what;
    return outcome_;
  }

  // One worker at a time runs a phase that takes long; the window's thread
  // keeps answering the user.
  void StartWorker(void (*body)(PageFlow&)) {
    body_ = body;
    worker_ = CreateThread(
        nullptr, 0,
        [](LPVOID self) -> DWORD {
          auto* flow = static_cast<PageFlow*>(self);
          flow->body_(*flow);
          return 0;
        },
        this, 0, nullptr);
    if (!worker_) {
      body(*this);  // no thread to be had: the phase runs here
    }
  }

  void JoinWorker() {
    if (!worker_) return;
    WaitForSingleObject(worker_, INFINITE);
    CloseHandle(worker_);
    worker_ = nullptr;
  }

  engine::UpdateSession& session_;
  const engine::ClientSettings& settings_;
  const engine::UpdateServices& services_;
  const PageOptions& options_;
  TestAnswers& answers_;
  Asker& asker_;
  UpdateWindow window_;
  std::vector<PageView> pages_;
  std::size_t index_ = 0;
  Stage stage_ = Stage::Pages;
  bool welcomeStarted_ = false;
  bool closeWhenDone_ = false;
  UpdateOutcome outcome_{UpdateOutcome::Cancelled, false, false, {}, {}};
  HANDLE worker_ = nullptr;
  void (*body_)(PageFlow&) = nullptr;
  ULONGLONG started_ = 0;
  // Shared with the worker.
  struct Lock {
    Lock() { InitializeCriticalSection(&section); }
    ~Lock() { DeleteCriticalSection(&section); }
    CRITICAL_SECTION section;
  };
  Lock lockHolder_;
  CRITICAL_SECTION& lock_ = lockHolder_.section;
  std::u16string file_;
  std::size_t fileIndex_ = 0, fileCount_ = 0;
  std::atomic<std::uint64_t> done_{0}, total_{0};
  std::atomic<bool> stop_{false}, progressPosted_{false};
};

}  // namespace

engine::UpdateOutcome RunUpdateWithPages(const engine::ClientSettings& settings,
                                         const engine::UpdateServices& services, const PageOptions& options) {
  TestAnswers answers;
  Asker asker(services.log, answers, ClientWindowTitle(settings.appTitle, settings.companyName));
  engine::UpdateSession session(settings, services);
  if (!session.Check()) {
    UpdateOutcome outcome = session.outcome();
    if (outcome.result == UpdateOutcome::Failed && options.showErrors)
      asker.Ask(nullptr,
                engine::FailureMessage(outcome.error, settings.appTitle, settings.mainExecutable, settings.companyName),
                MB_OK | MB_ICONERROR);
    if (outcome.result == UpdateOutcome::UpToDate && !outcome.message.empty()) {
      if (!outcome.silent) PageFlow(session, settings, services, options, answers, asker).RunNotNeeded(outcome.message);
      outcome.message.clear();
    }
    return outcome;
  }
  if (session.update().silent()) {
    session.Execute(engine::ExecutionPoint::Welcome);
    if (session.Download()) session.Apply();
    return session.outcome();
  }
  return PageFlow(session, settings, services, options, answers, asker).RunUpdate();
}

}  // namespace tidewatch
