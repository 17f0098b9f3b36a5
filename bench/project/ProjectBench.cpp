// Figures of the project document, each as a ratio against a floor measured
// in the same run:
//   - loading a project of 100,000 file nodes against pugixml's bare parse of
//     the same file, and writing it against that parse;
//   - the server form of a tree of 20,000 files on disk (a quarter of them
//     executables with version resources, some zip entries) against a walk
//     that stats every file and reads the headers of every executable.
#include <benchmark/benchmark.h>

#include "support/RatioReporter.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include "files/FileTree.h"
#include "platform/AtomicFile.h"
#include "project/DocumentReader.h"
#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace tidewell;

namespace {

fs::path g_root;

fs::path Root() {
  if (g_root.empty()) {
    g_root = fs::temp_directory_path() / ("tidewell-bench-" + std::to_string(::getpid()));
    fs::create_directories(g_root);
  }
  return g_root;
}

// 100,000 file nodes: 80 folders of 1,000 files and one folder of 20,000,
// the largest folder a publisher is likely to ship.
const fs::path& LargeProject() {
  static fs::path path;
  if (!path.empty()) return path;
  ProjectDocument document;
  document.settings.SetSetting(SettingKey::ProjName, u"Bench");
  document.projectFolder = text::FromPath(Root());
  document.projectFileName = u"Large.xml";
  FileRecord record;
  for (int d = 0; d < 80; ++d) {
    TreeNode* folder =
        document.fileTree.AddDirectoryPath(u"<ApplicationDir>\\module" + text::FormatDecimal(d), nullptr);
    record.Src = u"\\module" + text::FormatDecimal(d) + u"\\";
    for (int f = 0; f < 1000; ++f) {
      record.Name.clear();
      record.Type = f % 3 == 0 ? UpdateCondition::VersionBased : UpdateCondition::TimeStampBased;
      document.fileTree.InsertItem(folder, &record, u"file" + text::FormatDecimal(f * 7919 % 1000) + u".dat");
    }
  }
  TreeNode* wide = document.fileTree.AddDirectoryPath(u"<ApplicationDir>\\assets", nullptr);
  record.Src = u"\\assets\\";
  for (int f = 0; f < 20000; ++f) {
    record.Name.clear();
    // Inserted out of name order, as a directory listing would deliver them.
    document.fileTree.InsertItem(wide, &record, u"asset" + text::FormatDecimal((f * 7907) % 20000) + u".png");
  }
  if (!SaveDocument(document, XmlForm::ProjectForm)) std::abort();
  path = Root() / "Large.xml";
  return path;
}

void BareParse(const fs::path& file) {
  pugi::xml_document dom;
  benchmark::DoNotOptimize(dom.load_file(file.c_str()));
}

// The least any load through pugixml's tree costs: the parse, then a walk
// that reads the name and value of every attribute of every element once and
// builds nothing.
void ParseAndWalk(const fs::path& file) {
  pugi::xml_document dom;
  dom.load_file(file.c_str());
  size_t touched = 0;
  pugi::xml_node n = dom.document_element();
  while (n) {
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
      touched += static_cast<size_t>(a.name()[0]) + static_cast<size_t>(a.value()[0]);
    if (n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n && !n.next_sibling()) n = n.parent();
    if (n) n = n.next_sibling();
  }
  benchmark::DoNotOptimize(touched);
}

void BM_PugixmlBareParse(benchmark::State& state) {
  const fs::path& file = LargeProject();
  for (auto _ : state) BareParse(file);
}
BENCHMARK(BM_PugixmlBareParse)->Unit(benchmark::kMillisecond);

void BM_PugixmlParseAndWalk(benchmark::State& state) {
  const fs::path& file = LargeProject();
  for (auto _ : state) ParseAndWalk(file);
}
BENCHMARK(BM_PugixmlParseAndWalk)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State& state) {
  const WString file = text::FromPath(LargeProject());
  for (auto _ : state) {
    auto document = LoadDocumentFresh(file);
    if (!document || document->fileTree.NodeCount() < 100000) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(document);
    // Only the load is measured; the previous project is gone by then.
    state.PauseTiming();
    document.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);

void BM_SaveProject(benchmark::State& state) {
  auto document = LoadDocumentFresh(text::FromPath(LargeProject()));
  document->projectFileName = u"Saved.xml";
  for (auto _ : state) {
    if (!SaveDocument(*document, XmlForm::ProjectForm)) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

std::string SavedBytes(const ProjectDocument& document) {
  WString out;
  WriteDocumentText(document, out, XmlForm::ProjectForm);
  return EncodeDocumentText(out);
}

// The least any safe save costs: the same bytes written to a temporary file,
// flushed to disk and renamed over the target, with no text to build.
void BM_SafeWriteOfTheSameBytes(benchmark::State& state) {
  const std::string bytes = SavedBytes(*LoadDocumentFresh(text::FromPath(LargeProject())));
  const fs::path target = Root() / "SafeWrite.xml";
  for (auto _ : state)
    if (!WriteFileAtomically(target, bytes)) state.SkipWithError("write failed");
}
BENCHMARK(BM_SafeWriteOfTheSameBytes)->Unit(benchmark::kMillisecond);

// All of the above taken in turns, so that a machine busy for a while weighs
// on each alike; the printed ratios come from here.
void BM_LoadSaveAndFloorsInTurns(benchmark::State& state) {
  const fs::path& file = LargeProject();
  const WString widePath = text::FromPath(file);
  auto saved = LoadDocumentFresh(widePath);
  saved->projectFileName = u"SavedInTurns.xml";
  const std::string bytes = SavedBytes(*saved);
  const fs::path safeTarget = Root() / "SafeWriteInTurns.xml";
  enum { kParse, kWalk, kLoad, kSave, kSafeWrite, kParts };
  double seconds[kParts] = {};
  for (auto _ : state) {
    auto t = std::chrono::steady_clock::now();
    auto lap = [&](int part) {
      const auto now = std::chrono::steady_clock::now();
      seconds[part] += std::chrono::duration<double>(now - t).count();
      t = now;
    };
    BareParse(file);
    lap(kParse);
    ParseAndWalk(file);
    lap(kWalk);
    auto loaded = LoadDocumentFresh(widePath);
    lap(kLoad);
    if (!loaded || !SaveDocument(*saved, XmlForm::ProjectForm) ||
        !WriteFileAtomically(safeTarget, bytes)) {
      state.SkipWithError("load or save failed");
      break;
    }
    // The save and the safe write are timed apart from the load's release.
    loaded.reset();
    t = std::chrono::steady_clock::now();
    if (!SaveDocument(*saved, XmlForm::ProjectForm)) break;
    lap(kSave);
    if (!WriteFileAtomically(safeTarget, bytes)) break;
    lap(kSafeWrite);
  }
  if (seconds[kParse] > 0) {
    state.counters["load_to_parse"] = seconds[kLoad] / seconds[kParse];
    state.counters["save_to_parse"] = seconds[kSave] / seconds[kParse];
    state.counters["walk_to_parse"] = seconds[kWalk] / seconds[kParse];
    state.counters["safe_write_to_parse"] = seconds[kSafeWrite] / seconds[kParse];
  }
}
BENCHMARK(BM_LoadSaveAndFloorsInTurns)->Unit(benchmark::kMillisecond)->MinTime(6.0);

// The parts of a save: building the text, and encoding it for the file.
void BM_WriteProjectText(benchmark::State& state) {
  auto document = LoadDocumentFresh(text::FromPath(LargeProject()));
  for (auto _ : state) {
    WString out;
    WriteDocumentText(*document, out, XmlForm::ProjectForm);
    benchmark::DoNotOptimize(EncodeDocumentText(out));
  }
}
BENCHMARK(BM_WriteProjectText)->Unit(benchmark::kMillisecond);

// A small executable with a version resource, copied as the product's
// executables; the wine installation supplies one.
std::string ExecutableBytes() {
  for (const char* candidate : {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/lz32.dll",
                                "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/version.dll"}) {
    std::ifstream in(candidate, std::ios::binary);
    if (in) return std::string(std::istreambuf_iterator<char>(in), {});
  }
  return {};
}

void WriteZip(const fs::path& path, int entries) {
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  for (int e = 0; e < entries; ++e) {
    const std::string name = "docs/entry" + std::to_string(e) + ".txt";
    const std::string body(200 + e, 'z');
    zip_fileinfo info{};
    info.dosDate = 0x5A2C4B20;
    zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6);
    zipWriteInFileInZip(zip, body.data(), static_cast<unsigned>(body.size()));
    zipCloseFileInZip(zip);
  }
  zipClose(zip, nullptr);
}

struct StagedProduct {
  fs::path base;
  std::vector<fs::path> files;
  std::vector<fs::path> executables;
  std::unique_ptr<ProjectDocument> document;
};

// 20,000 files in 40 folders: every fourth an executable measured by version,
// the rest by time stamp; each folder holds one archive of 25 entries.
StagedProduct& Product() {
  static StagedProduct product;
  if (product.document) return product;
  product.base = Root() / "stage";
  const std::string exe = ExecutableBytes();
  product.document = std::make_unique<ProjectDocument>();
  ProjectDocument& document = *product.document;
  document.settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(product.base));
  FileRecord record;
  for (int d = 0; d < 40; ++d) {
    const std::string folderName = "part" + std::to_string(d);
    const fs::path folder = product.base / folderName;
    fs::create_directories(folder);
    TreeNode* node = document.fileTree.AddDirectoryPath(u"<ApplicationDir>\\" + text::FromUtf8(folderName), nullptr);
    record.Src = u"\\" + text::FromUtf8(folderName) + u"\\";
    for (int f = 0; f < 500; ++f) {
      const bool isExe = f % 4 == 0 && !exe.empty();
      const std::string name = "f" + std::to_string(f) + (isExe ? ".dll" : ".dat");
      const fs::path path = folder / name;
      std::ofstream(path, std::ios::binary) << (isExe ? exe : std::string(100 + f, 'd'));
      product.files.push_back(path);
      if (isExe) product.executables.push_back(path);
      record.Name.clear();
      record.Type = isExe ? UpdateCondition::VersionBased : UpdateCondition::TimeStampBased;
      record.Unzip = 0;
      document.fileTree.InsertItem(node, &record, text::FromUtf8(name));
    }
    const fs::path zip = folder / "docs.zip";
    WriteZip(zip, 25);
    product.files.push_back(zip);
    record.Name.clear();
    record.Type = UpdateCondition::TimeStampBased;
    record.Unzip = 1;
    TreeNode* archive = document.fileTree.InsertItem(node, &record, u"docs.zip");
    FileRecord entry = record;
    entry.Src = u"zip";
    for (int e = 0; e < 25; ++e) {
      const WString entryName = u"docs\\entry" + text::FormatDecimal(e) + u".txt";
      entry.Name = u"docs.zip<" + entryName + u">";
      document.fileTree.InsertItem(archive, &entry, entryName);
    }
  }
  return product;
}

// The floor: stat every file, read the first 4 KB of every executable.
uint64_t StatAndReadHeaders(const StagedProduct& product) {
  static std::vector<char> header(4096);
  uint64_t total = 0;
  for (const fs::path& file : product.files) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) total += static_cast<uint64_t>(st.st_size);
  }
  for (const fs::path& file : product.executables) {
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) continue;
    total += std::fread(header.data(), 1, header.size(), f);
    std::fclose(f);
  }
  return total;
}

bool WriteServerForm(const StagedProduct& product) {
  WString out;
  const bool written = product.document->fileTree.WriteXml(out, XmlForm::ServerForm);
  benchmark::DoNotOptimize(out);
  return written;
}

void BM_StatAndReadHeadersWalk(benchmark::State& state) {
  StagedProduct& product = Product();
  for (auto _ : state) benchmark::DoNotOptimize(StatAndReadHeaders(product));
}
BENCHMARK(BM_StatAndReadHeadersWalk)->Unit(benchmark::kMillisecond);

void BM_ServerFormOfTheFileTree(benchmark::State& state) {
  StagedProduct& product = Product();
  for (auto _ : state)
    if (!WriteServerForm(product)) state.SkipWithError("write failed");
}
BENCHMARK(BM_ServerFormOfTheFileTree)->Unit(benchmark::kMillisecond);

// The two taken in turns, so that a machine busy for a while weighs on both
// alike; the printed ratio comes from here.
void BM_ServerFormAndWalkInTurns(benchmark::State& state) {
  StagedProduct& product = Product();
  double walkSeconds = 0, formSeconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(StatAndReadHeaders(product));
    const auto t1 = std::chrono::steady_clock::now();
    if (!WriteServerForm(product)) {
      state.SkipWithError("write failed");
      break;
    }
    const auto t2 = std::chrono::steady_clock::now();
    walkSeconds += std::chrono::duration<double>(t1 - t0).count();
    formSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["form_to_walk"] = walkSeconds > 0 ? formSeconds / walkSeconds : 0;
}
BENCHMARK(BM_ServerFormAndWalkInTurns)->Unit(benchmark::kMillisecond)->MinTime(4.0);

fs::path BinFolder() { return fs::canonical("/proc/self/exe").parent_path(); }

// What a process took: the time it ran and the processor time it used (user
// and system), the second telling more on a machine others are busy on.
struct ProcessTimes {
  double wall = -1;
  double cpu = -1;
};

// Runs a program to its end with its output discarded; negative times when
// it could not start or failed.
ProcessTimes TimeProcess(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {};
  int status = 0;
  struct rusage usage {};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return {};
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

// The staged product saved as a project file, and the list of its files for
// the floor probe ("x" marks an executable).
struct StagedOnDisk {
  fs::path project;
  fs::path list;
};

const StagedOnDisk& ProductOnDisk() {
  static StagedOnDisk staged;
  if (!staged.project.empty()) return staged;
  StagedProduct& product = Product();
  ProjectDocument& document = *product.document;
  document.settings.SetSetting(SettingKey::ProjName, u"Staged");
  document.projectFolder = text::FromPath(Root());
  document.projectFileName = u"Staged.xml";
  if (!SaveDocument(document, XmlForm::ProjectForm)) std::abort();
  staged.project = Root() / "Staged.xml";
  staged.list = Root() / "staged-files.txt";
  std::ofstream list(staged.list);
  size_t executable = 0;
  for (const fs::path& file : product.files) {
    const bool isExecutable = executable < product.executables.size() &&
                              product.executables[executable] == file;
    if (isExecutable) ++executable;
    list << (isExecutable ? "x " : "s ") << file.string() << '\n';
  }
  return staged;
}

// The command-line tool and the floors, each a process, taken in turns:
// `tidewell-cli xml` on 100,000 file nodes against a process that only
// parses the file, and `xml --form server` on 20,000 files against a process
// that makes one status call per file and reads each executable's header.
void BM_ProcessesInTurns(benchmark::State& state) {
  const std::string cli = (BinFolder() / "tidewell-cli").string();
  const std::string probe = (BinFolder() / "project-floor-probe").string();
  const std::string large = LargeProject().string();
  const StagedOnDisk& staged = ProductOnDisk();
  const std::vector<std::string> parse{probe, "parse", large};
  const std::vector<std::string> xml{cli, "xml", large};
  const std::vector<std::string> measure{probe, "measure", staged.list.string()};
  const std::vector<std::string> server{cli, "xml", staged.project.string(), "--form", "server"};
  // Once each before timing: the first run fills the system's caches.
  for (const auto* command : {&parse, &xml, &measure, &server}) {
    if (TimeProcess(*command).wall < 0) {
      state.SkipWithError("a process failed");
      return;
    }
  }
  double wall[4] = {};
  double cpu[4] = {};
  for (auto _ : state) {
    int part = 0;
    for (const auto* command : {&parse, &xml, &measure, &server}) {
      const ProcessTimes taken = TimeProcess(*command);
      if (taken.wall < 0) {
        state.SkipWithError("a process failed");
        return;
      }
      wall[part] += taken.wall;
      cpu[part++] += taken.cpu;
    }
  }
  if (wall[0] > 0 && wall[2] > 0) {
    state.counters["process_xml_to_parse"] = wall[1] / wall[0];
    state.counters["process_server_to_measure"] = wall[3] / wall[2];
  }
  if (cpu[0] > 0 && cpu[2] > 0) {
    state.counters["process_cpu_xml_to_parse"] = cpu[1] / cpu[0];
    state.counters["process_cpu_server_to_measure"] = cpu[3] / cpu[2];
  }
}
BENCHMARK(BM_ProcessesInTurns)->Unit(benchmark::kMillisecond)->MinTime(6.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tidewell::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](const char* what, const char* a, const char* b, double target) {
    reporter.PrintRatio(what, a, b, target);
  };
  std::printf("\nRatios\n");
  if (!reporter.PrintCounter("load 100,000 file nodes / pugixml bare parse", "load_to_parse", 2.0))
    ratio("load 100,000 file nodes / pugixml bare parse", "BM_LoadProject", "BM_PugixmlBareParse",
          2.0);
  if (!reporter.PrintCounter("save 100,000 file nodes / pugixml bare parse", "save_to_parse", 1.0))
    ratio("save 100,000 file nodes / pugixml bare parse", "BM_SaveProject", "BM_PugixmlBareParse",
          1.0);
  std::printf("As processes, the way a pipeline runs the command-line tool\n");
  reporter.PrintCounter("tidewell-cli xml, 100,000 file nodes / process of a bare parse",
                        "process_xml_to_parse", 3.0);
  reporter.PrintCounter("tidewell-cli xml --form server, 20,000 files / stat and header process",
                        "process_server_to_measure", 1.5);
  reporter.PrintCounter("  the same in processor time: xml / bare parse", "process_cpu_xml_to_parse", 3.0);
  reporter.PrintCounter("  the same in processor time: xml --form server / stat and header",
                        "process_cpu_server_to_measure", 1.5);
  std::printf("Floors against the same parse (what any load or save must spend)\n");
  if (!reporter.PrintCounter("  pugixml parse + walk of every attribute / bare parse",
                             "walk_to_parse", 0))
    ratio("  pugixml parse + walk of every attribute / bare parse", "BM_PugixmlParseAndWalk",
          "BM_PugixmlBareParse", 0);
  if (!reporter.PrintCounter("  safe write of the same bytes (flush + rename) / bare parse",
                             "safe_write_to_parse", 0))
    ratio("  safe write of the same bytes (flush + rename) / bare parse",
          "BM_SafeWriteOfTheSameBytes", "BM_PugixmlBareParse", 0);
  if (!reporter.PrintCounter("server form of 20,000 files / stat and header walk",
                             "form_to_walk", 1.5))
    ratio("server form of 20,000 files / stat and header walk", "BM_ServerFormOfTheFileTree",
          "BM_StatAndReadHeadersWalk", 1.5);
  std::error_code ec;
  fs::remove_all(Root(), ec);
  benchmark::Shutdown();
  return 0;
}
