// Saving the project file and the server update file over what is there:
// modes kept, links written through, read-only files refused untouched.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"
#include "support/TempDir.h"
#include "support/HostOnly.h"
#include "text/Text.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

enum class Before { PrivateFile, ReadOnlyFile, LinkToFileElsewhere };

// Pieces of a long text, with a pair of surrogates and other letters at
// every place a piece could end, join to the bytes of the whole.
TEST(DocumentSave, TextEncodedInPiecesJoinsToTheWholeBytes) {
  for (const size_t before : {size_t{32 * 1024 - 1}, size_t{32 * 1024 - 2}, size_t{32 * 1024}}) {
    WString text(before, u'a');
    text += u"\U0001F600\u00E9\u4E2D";
    text += WString(70'000, u'b');
    std::string joined;
    ASSERT_TRUE(EncodeDocumentTextInPieces(text, [&](std::string_view piece) {
      EXPECT_LE(piece.size(), 4u * 32 * 1024);
      joined += piece;
      return true;
    }));
    EXPECT_EQ(joined, EncodeDocumentText(text)) << before;
  }
  int pieces = 0;
  EXPECT_FALSE(EncodeDocumentTextInPieces(WString(100'000, u'c'), [&](std::string_view) {
    return ++pieces < 2;
  }));
  EXPECT_EQ(pieces, 2);
}

TEST(DocumentSave, BothDocumentsReplaceWhatIsThereSafely) {
#ifdef _WIN32
  GTEST_SKIP() << testing::kPosixFilesOnly;
#else
  struct Case {
    XmlForm form;
    Before before;
  };
  const std::vector<Case> cases = {
      {XmlForm::ProjectForm, Before::PrivateFile},
      {XmlForm::ProjectForm, Before::ReadOnlyFile},
      {XmlForm::ProjectForm, Before::LinkToFileElsewhere},
      {XmlForm::ServerForm, Before::PrivateFile},
      {XmlForm::ServerForm, Before::ReadOnlyFile},
      {XmlForm::ServerForm, Before::LinkToFileElsewhere},
  };
  for (const Case& c : cases) {
    const std::string name = std::string(c.form == XmlForm::ProjectForm ? "project" : "server") +
                             " file, case " + std::to_string(static_cast<int>(c.before));
    TempDir dir;
    ProjectDocument document;
    document.projectFolder = text::FromPath(dir / "project");
    document.projectFileName = u"Settings.xml";
    document.settings.SetSetting(SettingKey::ProjName, u"Demo");
    fs::create_directories(dir / "project");
    fs::create_directories(dir / "shared");
    const fs::path target = text::ToPath(
        c.form == XmlForm::ProjectForm ? document.ProjectFilePath() : document.ServerFilePath());
    fs::path file = target;  // where the content lives
    if (c.before == Before::LinkToFileElsewhere) {
      file = dir / "shared" / "real.xml";
      fs::create_symlink(file, target);
    }
    WriteBytes(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), c.before == Before::ReadOnlyFile ? 0444 : 0600), 0);

    std::string error;
    const bool saved = SaveDocument(document, c.form, {}, &error);
    if (c.before == Before::ReadOnlyFile) {
      EXPECT_FALSE(saved) << name;
      EXPECT_EQ(error, "cannot write " + file.string() + ": the file is read-only") << name;
      EXPECT_EQ(ReadBytes(file), "old") << name;
      continue;
    }
    ASSERT_TRUE(saved) << name << ": " << error;
    EXPECT_EQ(ReadBytes(file).rfind("<Tidemark>", 0), 0u) << name;
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << name;
    EXPECT_EQ(fs::is_symlink(fs::symlink_status(target)),
              c.before == Before::LinkToFileElsewhere) << name;
  }
#endif
}

}  // namespace
}  // namespace tidewell
