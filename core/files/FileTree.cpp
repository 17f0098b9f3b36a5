#include "files/FileTree.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "files/FileInfo.h"
#include "files/RecordPool.h"
#include "platform/Prompt.h"
#include "project/ProjectSettings.h"
#include "project/XmlText.h"
#include "text/Text.h"

namespace tidewell {

using namespace std::literals;

namespace {

// Appends a client folder with the host's separator in place of backslashes.
void AppendClientFolderAsHost(WString& out, std::u16string_view folder) {
  const size_t start = out.size();
  out.append(folder);
  for (size_t i = start; i < out.size(); ++i)
    if (out[i] == text::kClientSeparator) out[i] = text::kHostSeparator;
}

// The text of one file line, written into room sized for it beforehand and
// appended to the document in one piece. The parts are joined the way the
// unreduced text has them: each part after a count of separating blanks, of
// which a run of k is written as the reduction of blank pairs leaves it,
// (k + 1) / 2. Empty parts only add their blank.
class ReducedLine {
 public:
  // `room`: at least the number of code units the line will take.
  explicit ReducedLine(size_t room) {
    if (room > kLocal) {
      heap_.reset(new char16_t[room]);
      begin_ = heap_.get();
    }
    end_ = begin_;
  }
  ReducedLine(const ReducedLine&) = delete;
  ReducedLine& operator=(const ReducedLine&) = delete;

  // Starts a part: the blanks that separate it from the one before.
  ReducedLine& Part() {
    end_ = std::fill_n(end_, (blanks_ + 1) / 2, u' ');
    blanks_ = 0;
    return *this;
  }
  void Blank(size_t count = 1) { blanks_ += count; }

  ReducedLine& operator<<(std::u16string_view text) {
    end_ = std::copy(text.begin(), text.end(), end_);
    return *this;
  }
  ReducedLine& operator<<(char16_t c) {
    *end_++ = c;
    return *this;
  }
  ReducedLine& operator<<(int64_t value) {
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    for (const char* d = digits; d != written.ptr; ++d) *end_++ = static_cast<char16_t>(*d);
    return *this;
  }
  // A value: escaped when `escape` is set, and with each pair of blanks in it
  // made one. A value sits between quotation marks, so its blanks never meet
  // a separator; no entity holds a blank, so escaping first changes nothing.
  void Value(std::u16string_view text, bool escape) {
    char16_t* const start = end_;
    bool pair = false;
    size_t i = 0;
#if defined(__SSE2__)
    // Eight units at a time while none of them needs a look: most names and
    // folders hold no blank and nothing to escape.
    for (; i + 8 <= text.size(); i += 8) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
      if (HoldsMarked(units)) break;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(end_), units);
      end_ += 8;
    }
#endif
    for (const char16_t c : text.substr(i)) {
      if (c >= 64 || ((kMarked >> c) & 1) == 0) {
        *end_++ = c;
        continue;
      }
      switch (escape ? c : u'\0') {
        case u'&': *this << u"&amp;"sv; continue;
        case u'<': *this << u"&lt;"sv; continue;
        case u'>': *this << u"&gt;"sv; continue;
        case u'\'': *this << u"&apos;"sv; continue;
        case u'"': *this << u"&quot;"sv; continue;
        default: break;
      }
      if (c == u' ' && end_ != start && end_[-1] == u' ') pair = true;
      *end_++ = c;
    }
    if (pair) end_ = ReducePairs(start, end_);
  }

  void AppendTo(WString& out) const { out.append(begin_, static_cast<size_t>(end_ - begin_)); }

 private:
  static constexpr size_t kLocal = 512;
  // The characters below 64 that Value looks at: those escaped, and the blank.
  static constexpr uint64_t kMarked = (uint64_t{1} << u' ') | (uint64_t{1} << u'"') |
                                      (uint64_t{1} << u'&') | (uint64_t{1} << u'\'') |
                                      (uint64_t{1} << u'<') | (uint64_t{1} << u'>');

#if defined(__SSE2__)
  // Whether any of the eight units is one that Value looks at.
  static bool HoldsMarked(__m128i units) {
    __m128i hits = _mm_cmpeq_epi16(units, _mm_set1_epi16(u' '));
    for (const char16_t marked : {u'"', u'&', u'\'', u'<', u'>'})
      hits = _mm_or_si128(hits, _mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(marked))));
    return _mm_movemask_epi8(hits) != 0;
  }
#endif

  // Each pair of blanks in [from, to) made one, from the left without overlap.
  static char16_t* ReducePairs(char16_t* from, char16_t* to) {
    char16_t* write = from;
    for (char16_t* read = from; read != to;) {
      *write++ = *read;
      read += (*read == u' ' && read + 1 != to && read[1] == u' ') ? 2 : 1;
    }
    return write;
  }

  char16_t local_[kLocal];
  std::unique_ptr<char16_t[]> heap_;
  char16_t* begin_ = local_;
  char16_t* end_ = local_;
  size_t blanks_ = 0;
};

// Whether `name` equals `lower`, a name of ASCII letters in lower case,
// without regard to case: setting bit 5 makes an upper-case letter lower case
// and makes no other byte a letter.
bool IsLetterNameNoCase(std::string_view name, std::string_view lower) {
  if (name.size() != lower.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if ((static_cast<unsigned char>(name[i]) | 0x20) != static_cast<unsigned char>(lower[i])) return false;
  return true;
}

// A measurement made before the server form is written.
struct Measured {
  bool ok = false;
  int32_t size = 0;
  WString value;
};

// The measurements of one server-form write, in the order the writer visits
// the file nodes; it looks each one up where it expects it and measures
// itself where the node is not the one expected.
struct MeasuredFiles {
  std::vector<const TreeNode*> nodes;
  std::vector<Measured> results;
  size_t next = 0;
};

// The measurements of the write under way on this thread, if any.
thread_local MeasuredFiles* t_measured = nullptr;

// Fewer files than this are measured on the writing thread alone.
constexpr size_t kFilesPerThread = 512;
// The files a thread takes at a time; neighbours share folders and archives.
constexpr size_t kFilesPerTake = 64;
constexpr unsigned kMaxThreads = 4;

// Runs `measure(i)` for every i below `count`, on several threads when there
// are many. Each index is measured exactly once.
template <typename Measure>
void MeasureInParallel(size_t count, Measure&& measure) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t wanted = std::min<size_t>({cores, kMaxThreads, count / kFilesPerThread});
  std::atomic<size_t> taken{0};
  auto work = [&] {
    const ArchiveStatusScope archives;
    for (;;) {
      const size_t begin = taken.fetch_add(kFilesPerTake);
      if (begin >= count) return;
      const size_t end = std::min(count, begin + kFilesPerTake);
      for (size_t i = begin; i < end; ++i) measure(i);
    }
  };
  std::vector<std::thread> helpers;
  for (size_t t = 1; t < wanted; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no thread to be had: the rest is measured here
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace

WString FileErrorMessage(const WString& path) {
  return u"File error occured:\r\n" + path +
         u"\r\n\r\nThe file may no longer exist or has errors. Verify file on drive.";
}

namespace {

// Never destroyed: records may be released by trees that outlive every
// static object.
RecordPool& FileRecordPool() {
  static RecordPool* pool = new RecordPool(sizeof(FileRecord));
  return *pool;
}

}  // namespace

// FileRecord is final: every request is for one record.
void* FileRecord::operator new(size_t) { return FileRecordPool().Allocate(); }

void FileRecord::operator delete(void* record) noexcept { FileRecordPool().Release(record); }

FileTree::FileTree() : ItemTree(u"Directory", u"File") {}

void FileTree::SetContext(const ProjectSettings* settings, Prompt* prompt) {
  settings_ = settings;
  prompt_ = prompt;
}

const FileRecord* FileTree::RecordOf(const TreeNode& node) {
  return dynamic_cast<const FileRecord*>(node.record.get());
}

namespace {
// Inside the file tree every record is a FileRecord.
const FileRecord* OwnRecord(const TreeNode& node) { return static_cast<const FileRecord*>(node.record.get()); }
}  // namespace

FileRecord* FileTree::RecordOf(TreeNode& node) { return dynamic_cast<FileRecord*>(node.record.get()); }

bool FileTree::IsZipEntry(const FileRecord& record) { return text::EqualsNoCase(record.Src, u"zip"); }

WString FileTree::GetItemDiskPath(const TreeNode& node) const {
  const FileRecord* record = RecordOf(node);
  if (!record) return {};
  const std::u16string_view base =
      settings_ ? std::u16string_view(settings_->RawValue(SettingKey::UpdateFilesDir)) : u"";
  std::u16string_view folder = u"\\";
  if (IsZipEntry(*record)) {
    // The entry's own Src only says "zip"; its archive lies in the archive's folder.
    const FileRecord* archive = node.parent ? RecordOf(*node.parent) : nullptr;
    if (archive && !IsZipEntry(*archive) && !archive->Src.empty()) folder = archive->Src;
  } else {
    folder = record->Src;
  }
  WString path;
  path.reserve(base.size() + folder.size() + record->Name.size());
  path.append(base);
  AppendClientFolderAsHost(path, folder);
  path += record->Name;
  text::ReducePairsInPlace(path, text::kHostSeparator);
  return path;
}

WString FileTree::ItemAttributes(const TreeNode& node, XmlForm form) const {
  WString out;
  AppendItemAttributes(out, node, form);
  return out;
}

// The parts in their order: common, size, action, condition, Src, joined by
// one blank each (the tree writer then reduces doubled blanks).
bool FileTree::AppendItemAttributes(WString& out, const TreeNode& node, XmlForm form) const {
  const FileRecord* record = OwnRecord(node);
  if (!record || record->Src.empty()) return false;

  WString measured;
  int32_t size = 0;
  if (form == XmlForm::ServerForm) {
    const WString path = GetItemDiskPath(node);
    if (!ReadFileInfo(path, measured, size, record->Type, false)) {
      if (prompt_) prompt_->ShowMessage(kErrorCaption, FileErrorMessage(path), MessageIcon::Error);
      return false;
    }
  }

  AppendCommonAttributes(out, *record, form);
  out += u' ';
  if (form == XmlForm::ServerForm && !IsZipEntry(*record)) {
    out += u"Size=\""sv;
    out += text::FormatDecimal(size);
    out += u'"';
  }
  out += u' ';
  if (record->Unzip != 0) out += u"Action=\"unzip\""sv;
  out += u' ';
  if (form == XmlForm::ProjectForm) {
    if (record->Type == UpdateCondition::VersionBased)
      out += u"Type=\"ver\""sv;
    else if (record->Type == UpdateCondition::TimeStampBased)
      out += u"Type=\"date\""sv;
  } else if (record->Type != UpdateCondition::Unconditional) {
    out += u"Mode=\""sv;
    out += measured;
    out += u"\" "sv;
  }
  out += u" Src=\""sv;
  AppendEscapedXmlText(out, record->Src);
  out += u'"';
  return true;
}

bool FileTree::MeasureForServer(const TreeNode& node, WString& value, int32_t& size) const {
  if (MeasuredFiles* files = t_measured;
      files && files->next < files->nodes.size() && files->nodes[files->next] == &node) {
    Measured& measured = files->results[files->next++];
    if (!measured.ok) return false;
    value = std::move(measured.value);
    size = measured.size;
    return true;
  }
  return ReadFileInfo(GetItemDiskPath(node), value, size, OwnRecord(node)->Type, false);
}

bool FileTree::WriteXml(WString& out, XmlForm form) const {
  if (form != XmlForm::ServerForm || t_measured) return ItemTree::WriteXml(out, form);
  // The file nodes in the order the writer takes them: each node before its
  // children, siblings in order.
  MeasuredFiles files;
  std::vector<const TreeNode*> pending(Children(nullptr).rbegin(), Children(nullptr).rend());
  while (!pending.empty()) {
    const TreeNode* node = pending.back();
    pending.pop_back();
    const FileRecord* record = node->IsItem() ? OwnRecord(*node) : nullptr;
    if (record && !record->Src.empty()) files.nodes.push_back(node);
    pending.insert(pending.end(), node->children.rbegin(), node->children.rend());
  }
  files.results.resize(files.nodes.size());
  MeasureInParallel(files.nodes.size(), [&](size_t i) {
    const TreeNode& node = *files.nodes[i];
    Measured& measured = files.results[i];
    measured.ok = ReadFileInfo(GetItemDiskPath(node), measured.value, measured.size,
                               OwnRecord(node)->Type, false);
  });
  t_measured = &files;
  bool written = false;
  try {
    written = ItemTree::WriteXml(out, form);
  } catch (...) {
    t_measured = nullptr;
    throw;
  }
  t_measured = nullptr;
  return written;
}

// The same text as AppendItemAttributes followed by the reduction of blank
// pairs, written in one go: the parts are joined with the reduced number of
// blanks, and only the values are reduced, where they hold a pair.
bool FileTree::AppendReducedItemAttributes(WString& out, const TreeNode& node, XmlForm form) const {
  const FileRecord* record = OwnRecord(node);
  if (!record || record->Src.empty()) return false;

  WString measured;
  int32_t size = 0;
  if (form == XmlForm::ServerForm && !MeasureForServer(node, measured, size)) {
    if (prompt_)
      prompt_->ShowMessage(kErrorCaption, FileErrorMessage(GetItemDiskPath(node)), MessageIcon::Error);
    return false;
  }

  const std::u16string_view name = WrittenName(record->Name);
  // An escaped character takes at most six units; the names, numbers and
  // blanks of the line stay below 128.
  ReducedLine line(6 * (name.size() + record->Src.size()) + measured.size() + 128);
  if (record->OS > 0 || form == XmlForm::ProjectForm) {
    line.Part() << u"Name=\""sv;
    line.Value(name, true);
    line << u'"';
    if (record->OS != 31) {
      line.Blank(2);
      line.Part() << u"OS=\""sv << int64_t{record->OS} << u'"';
    }
  }
  line.Blank();
  if (form == XmlForm::ServerForm && !IsZipEntry(*record))
    line.Part() << u"Size=\""sv << int64_t{size} << u'"';
  line.Blank();
  if (record->Unzip != 0) line.Part() << u"Action=\"unzip\""sv;
  line.Blank();
  if (form == XmlForm::ProjectForm) {
    if (record->Type == UpdateCondition::VersionBased)
      line.Part() << u"Type=\"ver\""sv;
    else if (record->Type == UpdateCondition::TimeStampBased)
      line.Part() << u"Type=\"date\""sv;
  } else if (record->Type != UpdateCondition::Unconditional) {
    line.Part() << u"Mode=\""sv;
    line.Value(measured, false);
    line << u'"';
    line.Blank();
  }
  line.Blank();
  line.Part() << u"Src=\""sv;
  line.Value(record->Src, true);
  line << u'"';
  line.AppendTo(out);
  return true;
}

TreeNode* FileTree::CreateItemFromAttributes(const std::vector<XmlAttribute>& attributes,
                                             TreeNode* parent) {
  std::vector<std::string> narrow;
  narrow.reserve(attributes.size() * 2);
  for (const auto& [name, value] : attributes) {
    narrow.push_back(text::ToUtf8(name));
    narrow.push_back(text::ToUtf8(value));
  }
  std::vector<Utf8Attribute> views;
  for (size_t i = 0; i + 1 < narrow.size(); i += 2) views.emplace_back(narrow[i], narrow[i + 1]);
  return CreateItemFromUtf8Attributes(views.data(), views.size(), parent);
}

// A file element: Name and OS first (as for every item), then, in order,
// Type ("ver" or "date" exactly), Src ("zip" in any case marks an entry of
// the parent archive) and Action ("unzip" exactly). Attribute names are
// matched without regard to case; other attributes (Size, Mode) are ignored.
TreeNode* FileTree::CreateItemFromUtf8Attributes(const Utf8Attribute* attributes, size_t count,
                                                 TreeNode* parent) {
  // Each attribute name is told apart once; the two passes then go by kind.
  enum class Kind : uint8_t { Other, Name, OS, Type, Src, Action };
  Kind local[kMaxAttributes];
  std::vector<Kind> more(count > kMaxAttributes ? count : 0);
  Kind* kinds = count > kMaxAttributes ? more.data() : local;
  for (size_t i = 0; i < count; ++i) {
    // Told apart by length first: one comparison of letters each.
    const std::string_view name = attributes[i].first;
    Kind kind = Kind::Other;
    switch (name.size()) {
      case 2:
        if (IsLetterNameNoCase(name, "os")) kind = Kind::OS;
        break;
      case 3:
        if (IsLetterNameNoCase(name, "src")) kind = Kind::Src;
        break;
      case 4:
        if (IsLetterNameNoCase(name, "name"))
          kind = Kind::Name;
        else if (IsLetterNameNoCase(name, "type"))
          kind = Kind::Type;
        break;
      case 6:
        if (IsLetterNameNoCase(name, "action")) kind = Kind::Action;
        break;
      default:
        break;
    }
    kinds[i] = kind;
  }
  auto owned = std::make_unique<FileRecord>();
  FileRecord& record = *owned;
  record.Type = UpdateCondition::Unconditional;
  for (size_t i = 0; i < count; ++i) {
    const std::string_view value = attributes[i].second;
    if (kinds[i] == Kind::Name)
      text::AssignUtf8(record.Name, value);
    else if (kinds[i] == Kind::OS)
      record.OS = text::ParseDecimal(value);
  }
  for (size_t i = 0; i < count; ++i) {
    const std::string_view value = attributes[i].second;
    switch (kinds[i]) {
      case Kind::Type:
        if (value == "ver")
          record.Type = UpdateCondition::VersionBased;
        else if (value == "date")
          record.Type = UpdateCondition::TimeStampBased;
        break;
      case Kind::Src: {
        text::AssignUtf8(record.Src, value);
        const FileRecord* archive = parent ? RecordOf(*parent) : nullptr;
        if (text::EqualsNoCaseAscii(value, "zip") && parent && parent->IsItem() && archive)
          record.Name = archive->Name + u"<" + record.Name + u">";
        break;
      }
      case Kind::Action:
        if (value == "unzip") record.Unzip = 1;
        break;
      default:
        break;
    }
  }
  // The record keeps its address when handed over, so its name can be shown.
  const std::u16string_view shown = record.Name;
  return InsertItem(parent, std::move(owned), shown);
}

}  // namespace tidewell
