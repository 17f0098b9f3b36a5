// Figures of the item model that shows the core's trees, each as a ratio
// against a floor measured in the same run, taken in turns:
//   - opening a project of 100,000 file nodes until the update-files page
//     shows its tree with the first level open, against the core's load of
//     the same file alone;
//   - opening a folder of 10,000 files in the page's tree, against a plain
//     QStandardItemModel of the same 10,000 rows in a QTreeView.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStandardItemModel>
#include <QTreeView>
#include <chrono>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "files/FileRecord.h"
#include "files/TreePath.h"
#include "models/ItemTreeModel.h"
#include "models/ItemTreeView.h"
#include "pages/files/ServerFilesPage.h"
#include "platform/Prompt.h"
#include "project/DocumentReader.h"
#include "project/DocumentWriter.h"
#include "project/Preferences.h"
#include "project/ProjectDocument.h"
#include "LargeProject.h"
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
  static const fs::path root = bench::ScratchFolder("model-bench");
  return root;
}

const WString& LargeProject() { return tidewell::bench::LargeProjectFile(Root()); }

// The update-files page as the main window holds it, at its usual size.
struct ShownPage {
  SilentPrompt prompt;
  FieldRegistry fields;
  MemoryPreferences preferences;
  PageServices services{prompt, fields, preferences, nullptr, {}, {}, {}, {}};
  ProjectDocument empty;
  ServerFilesPage page{services};

  ShownPage() {
    page.BindDocument(empty);
    page.resize(900, 650);
    page.show();
    QApplication::processEvents();
  }
  // Lays the rows out and paints what shows, as the next frame would.
  static void Show(QTreeView& view) {
    view.doItemsLayout();
    view.viewport()->repaint();
  }
};

void BM_OpenProjectInTurns(benchmark::State& state) {
  const WString path = LargeProject();
  ShownPage shown;
  double loadSeconds = 0, openSeconds = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    {
      std::unique_ptr<ProjectDocument> loaded = LoadDocumentFresh(path);
      if (!loaded) state.SkipWithError("load failed");
    }
    loadSeconds += Seconds(start);

    start = Clock::now();
    {
      std::unique_ptr<ProjectDocument> loaded = LoadDocumentFresh(path);
      shown.page.BindDocument(*loaded);
      ShownPage::Show(*shown.page.FileView());
      benchmark::DoNotOptimize(shown.page.FileView()->TreeModel()->rowCount());
      // The page lets go of a document before it goes, as on the next Open.
      shown.page.BindDocument(shown.empty);
    }
    openSeconds += Seconds(start);
  }
  if (loadSeconds > 0) state.counters["open_to_load"] = openSeconds / loadSeconds;
}
BENCHMARK(BM_OpenProjectInTurns)->Unit(benchmark::kMillisecond)->MinTime(4.0);

void BM_ExpandWideFolderInTurns(benchmark::State& state) {
  ShownPage shown;
  ProjectDocument document;
  TreeNode* folder = document.fileTree.AddDirectoryPath(u"<ApplicationDir>\\assets", nullptr);
  FileRecord record;
  for (int f = 0; f < 10000; ++f) {
    record.Name.clear();
    document.fileTree.InsertItem(folder, &record, u"asset" + text::FormatDecimal(f) + u".png");
  }
  shown.page.BindDocument(document);
  ItemTreeView& view = *shown.page.FileView();
  const QModelIndex folderIndex = view.TreeModel()->IndexOf(folder);

  QStandardItemModel standard;
  auto* top = new QStandardItem(QStringLiteral("<ApplicationDir>"));
  auto* assets = new QStandardItem(QStringLiteral("assets"));
  for (int f = 0; f < 10000; ++f)
    assets->appendRow(new QStandardItem(QStringLiteral("asset%1.png").arg(f)));
  top->appendRow(assets);
  standard.appendRow(top);
  QTreeView floor;
  floor.setModel(&standard);
  floor.setHeaderHidden(true);
  floor.setUniformRowHeights(true);
  floor.resize(view.size());
  floor.show();
  floor.expand(standard.indexFromItem(top));
  const QModelIndex floorFolder = standard.indexFromItem(assets);
  QApplication::processEvents();

  double floorSeconds = 0, modelSeconds = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    floor.expand(floorFolder);
    ShownPage::Show(floor);
    floor.collapse(floorFolder);
    ShownPage::Show(floor);
    floorSeconds += Seconds(start);

    start = Clock::now();
    view.expand(folderIndex);
    ShownPage::Show(view);
    view.collapse(folderIndex);
    ShownPage::Show(view);
    modelSeconds += Seconds(start);
  }
  if (floorSeconds > 0) state.counters["expand_to_standard"] = modelSeconds / floorSeconds;
  shown.page.BindDocument(shown.empty);
}
BENCHMARK(BM_ExpandWideFolderInTurns)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  tidewell::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios\n");
  reporter.PrintCounter("open 100,000 file nodes, first level shown / core load alone",
                        "open_to_load", 1.5);
  reporter.PrintCounter("open a folder of 10,000 files / QStandardItemModel in a QTreeView",
                        "expand_to_standard", 1.5);
  std::error_code ec;
  fs::remove_all(Root(), ec);
  return 0;
}
