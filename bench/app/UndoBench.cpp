// Undo of the largest edit a publisher makes in one key press: the deletion
// of a folder of 10,000 files in a project of 100,000 file nodes, until the
// update-files page shows the tree again, against the core's load of the
// same project file alone, taken in turns in the same run. Then what the
// history of 100 edits of that project costs: the memory held after them
// against the memory held with the project just opened, and the time an
// edit takes to be recorded against the load.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <chrono>
#include <ctime>
#include <fstream>
#include <filesystem>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

#include "LargeProject.h"
#include "content/VariableList.h"
#include "files/FileRecord.h"
#include "files/TreePath.h"
#include "models/ItemTreeView.h"
#include "pages/files/ServerFilesPage.h"
#include "platform/Prompt.h"
#include "project/DocumentReader.h"
#include "project/Lifecycle.h"
#include "project/Preferences.h"
#include "project/ProjectDocument.h"
#include "support/RatioReporter.h"
#include "text/Text.h"
#include "toolkit/FieldRegistry.h"

namespace fs = std::filesystem;
using namespace tidewell;
using namespace tidewell::app;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return bench::SecondsSince(from); }

fs::path Root() {
  static const fs::path root = bench::ScratchFolder("undo-bench");
  return root;
}

// The main window's side of the flows as far as undo reaches: the
// update-files page, shown, bound to the open document.
class PageShell final : public ProjectShell {
 public:
  PageShell() {
    page.resize(900, 650);
    page.show();
    QApplication::processEvents();
  }
  ProjectDialogResult RunProjectDialog(ProjectDialogMode) override { return {}; }
  void LoadPages() override {
    page.BindDocument(lifecycle->Document());
    page.LoadFromSettings();
    ItemTreeView& view = *page.FileView();
    view.doItemsLayout();
    view.viewport()->repaint();
  }

  SilentPrompt prompt;
  FieldRegistry fields;
  MemoryPreferences preferences;
  PageServices services{prompt, fields, preferences, nullptr, {}, {}, {}, {}};
  ServerFilesPage page{services};
  ProjectLifecycle* lifecycle = nullptr;
};

void BM_UndoWideDeletionInTurns(benchmark::State& state) {
  const WString path = bench::LargeProjectFile(Root());
  PageShell shell;
  ProjectLifecycle lifecycle(shell.prompt, shell.preferences, shell, {});
  shell.lifecycle = &lifecycle;
  if (!lifecycle.OpenProjectFile(path)) state.SkipWithError("open failed");
  double loadSeconds = 0, undoSeconds = 0, editSeconds = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    {
      std::unique_ptr<ProjectDocument> loaded = LoadDocumentFresh(path);
      if (!loaded) state.SkipWithError("load failed");
    }
    loadSeconds += Seconds(start);

    state.PauseTiming();
    start = Clock::now();
    ProjectDocument& document = lifecycle.Document();
    const size_t nodes = document.fileTree.NodeCount();
    TreeNode* wide = FindNodeByPath(document.fileTree, bench::kWideFolderPath);
    if (!wide) state.SkipWithError("no folder to delete");
    document.fileTree.DeleteItem(wide);
    lifecycle.EditCommitted();
    editSeconds += Seconds(start);
    state.ResumeTiming();

    start = Clock::now();
    lifecycle.UndoCommand();
    undoSeconds += Seconds(start);
    if (lifecycle.Document().fileTree.NodeCount() != nodes) state.SkipWithError("undo lost nodes");
  }
  if (loadSeconds > 0) state.counters["undo_to_load"] = undoSeconds / loadSeconds;
  state.counters["load_ms"] = 1000 * loadSeconds / static_cast<double>(state.iterations());
  state.counters["undo_ms"] = 1000 * undoSeconds / static_cast<double>(state.iterations());
  // The deletion with its record for undo, for comparison (not timed above).
  state.counters["delete_ms"] = 1000 * editSeconds / static_cast<double>(state.iterations());
}
BENCHMARK(BM_UndoWideDeletionInTurns)->Unit(benchmark::kMillisecond)->MinTime(4.0);

// Bytes the process holds: what the allocator handed out and has not been
// given back, and the resident set.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}
size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

// One edit of the mix a publisher makes in a session, numbered 0 to 99:
// typing in a field, renaming a variable, deleting a folder of 1,000 files,
// adding a folder of 1,000 files.
void MakeEdit(ProjectDocument& document, int number) {
  const WString n = text::FormatDecimal(number);
  switch (number % 4) {
    case 0:
      document.settings.SetSetting(SettingKey::AppTitle, u"Bench title " + n);
      break;
    case 1: {
      const std::vector<Variable>& rows = document.variables.Rows();
      for (size_t row = 0; row < rows.size(); ++row)
        if (!VariableList::IsBuiltIn(rows[row].name)) {
          document.variables.RenameVariable(row, u"Renamed" + n);
          break;
        }
      break;
    }
    case 2:
      if (TreeNode* folder = FindNodeByPath(document.fileTree,
                                           u"<ApplicationDir>\\module" + text::FormatDecimal(number / 4)))
        document.fileTree.DeleteItem(folder);
      break;
    case 3: {
      FileRecord record;
      record.Src = u"\\added" + n + u"\\";
      TreeNode* folder = document.fileTree.AddDirectoryPath(u"<ApplicationDir>\\added" + n, nullptr);
      for (int f = 0; f < 1000; ++f) {
        record.Name.clear();
        document.fileTree.InsertItem(folder, &record, u"new" + text::FormatDecimal(f) + u".dat");
      }
      break;
    }
  }
}

// Processor time of this thread: both parts run on it alone, and a machine
// busy with other work stretches their wall times unevenly.
double ThreadSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_HundredEditsInTurns(benchmark::State& state) {
  const WString path = bench::LargeProjectFile(Root());
  double loadSeconds = 0, recordSeconds = 0, heapRatio = 0, residentRatio = 0;
  double loadCpu = 0, recordCpu = 0;
  size_t edits = 0, loads = 0;
  // The load, timed before every tenth edit: loads and edits take turns.
  const auto timeLoad = [&] {
    const auto start = Clock::now();
    const double cpu = ThreadSeconds();
    if (!LoadDocumentFresh(path)) state.SkipWithError("load failed");
    loadSeconds += Seconds(start);
    loadCpu += ThreadSeconds() - cpu;
    ++loads;
  };
  for (auto _ : state) {
    PageShell shell;
    ProjectLifecycle lifecycle(shell.prompt, shell.preferences, shell, {});
    shell.lifecycle = &lifecycle;
    if (!lifecycle.OpenProjectFile(path)) state.SkipWithError("open failed");
    const size_t heapOpened = HeapInUse();
    const size_t residentOpened = ResidentBytes();
    for (int number = 0; number < 100; ++number) {
      if (number % 10 == 0) timeLoad();
      MakeEdit(lifecycle.Document(), number);
      const auto start = Clock::now();
      const double cpu = ThreadSeconds();
      const bool recorded = lifecycle.EditCommitted();
      recordSeconds += Seconds(start);
      recordCpu += ThreadSeconds() - cpu;
      if (!recorded) state.SkipWithError("an edit was not recorded");
      ++edits;
    }
    heapRatio = std::max(heapRatio, double(HeapInUse()) / double(heapOpened));
    residentRatio = std::max(residentRatio, double(ResidentBytes()) / double(residentOpened));
  }
  state.counters["record_to_load"] = (recordSeconds / double(edits)) / (loadSeconds / double(loads));
  state.counters["record_to_load_cpu"] = (recordCpu / double(edits)) / (loadCpu / double(loads));
  state.counters["held_to_opened"] = heapRatio;
  state.counters["resident_to_opened"] = residentRatio;
  state.counters["load_ms"] = 1000 * loadSeconds / double(loads);
  state.counters["record_ms"] = 1000 * recordSeconds / double(edits);

}
BENCHMARK(BM_HundredEditsInTurns)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  tidewell::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios\n");
  reporter.PrintCounter("undo the deletion of 10,000 files in 100,000, page shown / load",
                        "undo_to_load", 2.0);
  reporter.PrintCounter("memory held after 100 edits of 100,000 nodes / just opened",
                        "held_to_opened", 1.5);
  reporter.PrintCounter("resident set after those edits / just opened", "resident_to_opened", 0);
  reporter.PrintCounter("recording an edit of 100,000 nodes / load", "record_to_load", 0.1);
  reporter.PrintCounter("  the same in processor time", "record_to_load_cpu", 0.1);
  std::error_code ec;
  fs::remove_all(Root(), ec);
  return 0;
}
