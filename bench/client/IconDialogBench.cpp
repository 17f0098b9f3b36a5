// Filling the icon selection dialog from a module with about 1,800 icon
// images, against the core alone listing those images and decoding every
// listed one into pixels (the floor), and against the listing only.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "build/IconCatalogue.h"
#include "dialogs/IconImages.h"
#include "dialogs/IconSelectionDialog.h"
#include "pe/ResourceUpdate.h"
#include "platform/Prompt.h"
#include "support/RatioReporter.h"
#include "text/Text.h"
#include "toolkit/FieldRegistry.h"

namespace {

namespace fs = std::filesystem;
using namespace tidewell;

// Says nothing: the benchmark measures the dialog, not its balloons.
class SilentPrompt final : public Prompt {
 public:
  void ShowMessage(const WString&, const WString&, MessageIcon) override {}
  Answer Ask(const WString&, const WString&, Buttons, MessageIcon) override { return Answer::No; }
  void ShowBalloon(const FieldId&, const WString&, const WString&, MessageIcon) override {}
  void SetStatusText(const WString&) override {}
  void SetBusy(bool) override {}
};

std::string U32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

// A 32-bit icon image with its transparency mask, as stored in a module.
std::string IconImage(uint32_t size, uint32_t salt) {
  std::string image = U32(40) + U32(size) + U32(size * 2) + std::string("\1\0\x20\0", 4) +
                      U32(0) + U32(size * size * 4) + U32(0) + U32(0) + U32(0) + U32(0);
  for (uint32_t i = 0; i < size * size; ++i)
    image += U32(0xFF000000u | ((i * 2654435761u + salt) & 0xFFFFFF));
  image += std::string((size + 31) / 32 * 4 * size, '\0');
  return image;
}

// Wine's shell library when it is installed (1,840 icon images); otherwise
// the client stub with 1,800 images of 16, 32 and 48 pixels added.
fs::path IconModule() {
  const fs::path shell32 = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll";
  if (fs::exists(shell32)) return shell32;
  const fs::path made = fs::temp_directory_path() / "tidewell-icon-bench.dll";
  if (fs::exists(made)) return made;
  fs::copy_file(fs::path(TIDEWELL_BIN_DIR) / "Tidewatch.exe", made);
  auto update = pe::ResourceUpdate::Begin(made, nullptr);
  for (uint16_t id = 1000; update && id < 2800; ++id)
    update->Update(3, id, 0, IconImage(id % 3 == 0 ? 16 : id % 3 == 1 ? 32 : 48, id));
  if (!update || !update->Commit(nullptr, nullptr)) std::fprintf(stderr, "no module made\n");
  return made;
}

const WString& Module() {
  static const WString module = text::FromPath(IconModule());
  return module;
}

void ListIcons() { benchmark::DoNotOptimize(ReadIconCatalogue(Module())); }

void ListAndDecodeIcons() {
  size_t pixels = 0;
  ReadIconCatalogue(Module(), [&](bool, const WString&, std::string_view image) {
    pixels += static_cast<size_t>(app::DecodeIconImage(image).sizeInBytes());
  });
  benchmark::DoNotOptimize(pixels);
}

// The dialog opened on the module until both lists are drawn; answers the
// number of entries listed.
int ShowDialog() {
  static SilentPrompt prompt;
  static app::FieldRegistry fields;
  app::IconSelectionDialog dialog(Module(), prompt, fields, nullptr);
  dialog.show();
  QApplication::processEvents();
  benchmark::DoNotOptimize(dialog.grab());
  return dialog.LargeList()->model()->rowCount() + dialog.SmallList()->model()->rowCount();
}

void CoreListing(benchmark::State& state) {
  for (auto _ : state) ListIcons();
}

void CoreListingAndDecoding(benchmark::State& state) {
  for (auto _ : state) ListAndDecodeIcons();
}

void DialogShown(benchmark::State& state) {
  int entries = 0;
  for (auto _ : state) entries = ShowDialog();
  state.counters["entries"] = entries;
}

// The three in turns, so a machine busy with other work slows them alike.
void InTurns(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  Clock::duration listing{}, decoding{}, dialog{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    ListIcons();
    const auto t1 = Clock::now();
    ListAndDecodeIcons();
    const auto t2 = Clock::now();
    ShowDialog();
    const auto t3 = Clock::now();
    listing += t1 - t0;
    decoding += t2 - t1;
    dialog += t3 - t2;
  }
  state.counters["dialog_to_decoding"] = double(dialog.count()) / double(decoding.count());
  state.counters["dialog_to_listing"] = double(dialog.count()) / double(listing.count());
}

BENCHMARK(CoreListing)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(CoreListingAndDecoding)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(DialogShown)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(InTurns)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  tidewell::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("module: %s\n", text::ToUtf8(Module()).c_str());
  reporter.PrintCounter("icon dialog shown / core listing and decoding ratio:",
                        "dialog_to_decoding", 1.5);
  reporter.PrintCounter("icon dialog shown / core listing only ratio:", "dialog_to_listing", 0);
  benchmark::Shutdown();
  return 0;
}
