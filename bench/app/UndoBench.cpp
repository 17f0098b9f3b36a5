// Undo of the largest edit a publisher makes in one key press: the deletion
// of a folder of 10,000 files in a project of 100,000 file nodes, until the
// update-files page shows the tree again, against the core's load of the
// same project file alone, taken in turns in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "LargeProject.h"
#include "files/TreePath.h"
#include "models/ItemTreeView.h"
#include "pages/files/ServerFilesPage.h"
#include "platform/Prompt.h"
#include "project/DocumentReader.h"
#include "project/Lifecycle.h"
#include "project/Preferences.h"
#include "project/ProjectDocument.h"
#include "support/RatioReporter.h"
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
  std::error_code ec;
  fs::remove_all(Root(), ec);
  return 0;
}
