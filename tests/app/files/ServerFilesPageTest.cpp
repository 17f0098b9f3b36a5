#include <QAbstractItemModelTester>
#include <QScrollBar>
#include <QtTest>
#include <chrono>
#include <filesystem>

#include "content/ShellExecList.h"
#include "files/DirectoryComparison.h"
#include "files/FileRecord.h"
#include "files/FileSelection.h"
#include "files/FileTree.h"
#include "files/TreePath.h"
#include "files/ZipFixture.h"
#include "models/ColumnFit.h"
#include "models/ItemTreeView.h"
#include "pages/files/AddFilesDialog.h"
#include "pages/files/AutoCompareDialog.h"
#include "pages/files/ComparisonProgressWindow.h"
#include "pages/files/ComparisonPrompt.h"
#include "pages/files/FilePropertiesSheet.h"
#include "pages/files/OsTargetsPage.h"
#include "pages/files/ServerFilesPage.h"
#include "pages/files/ShellExecDialog.h"
#include "files/PageHarness.h"
#include "project/ProjectDialogRules.h"
#include "support/TempDir.h"
#include "toolkit/ElidedLabel.h"
#include "text/Text.h"

using namespace tidewell;
using namespace tidewell::app;
using namespace tidewell::testing;
namespace fs = std::filesystem;

namespace {

QString Q(const fs::path& path) { return ToQString(text::FromPath(path)); }

// The update-files page over a fresh document, with a staging folder on disk
// and the system dialogs replaced by the test's choices.
struct FilesPage : PageHarness {
  TempDir dir;
  fs::path stage = dir / "stage";
  ServerFilesPage page{services};
  QAbstractItemModelTester fileTester{page.FileView()->TreeModel(),
                                      QAbstractItemModelTester::FailureReportingMode::QtTest};
  QAbstractItemModelTester execTester{page.ExecutionView()->TreeModel(),
                                      QAbstractItemModelTester::FailureReportingMode::QtTest};
  std::optional<AddFilesChoice> nextFiles;
  QStringList nextFolders;
  QStringList folderTexts;  // what each folder picker said
  int filesDialogs = 0;

  FilesPage() {
    fs::create_directories(stage);
    page.BindDocument(*document);
    FileChoosers choosers;
    choosers.chooseFiles = [this](QWidget*, const QString&, Prompt&) {
      ++filesDialogs;
      return nextFiles;
    };
    choosers.chooseFolder = [this](QWidget*, const QString&, const QString& text) {
      folderTexts << text;
      return nextFolders.isEmpty() ? QString() : nextFolders.takeFirst();
    };
    page.SetChoosers(choosers);
    page.resize(800, 600);
    page.show();
  }
  FileTree& tree() { return document->fileTree; }
  void SetBase(const fs::path& base) {
    document->settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(base));
  }
  fs::path File(const std::string& relative, size_t bytes = 10) {
    const fs::path path = stage / relative;
    WriteBytes(path, std::string(bytes, 'x'));
    return path;
  }
  void Add(const QStringList& files, const QString& destination) {
    nextFiles = AddFilesChoice{files, destination};
    page.AddFilesButton()->click();
  }
  bool Consistent() { return ModelMatchesTree(*page.FileView()->TreeModel(), tree()) &&
           ViewMatchesTree(*page.FileView(), *page.FileView()->TreeModel(), tree());
  }
  QPoint LabelOf(ItemTreeView* view, const TreeNode* node) {
    const QModelIndex index = view->TreeModel()->IndexOf(node);
    view->scrollTo(index);
    return view->visualRect(index).topLeft() + QPoint(24, view->visualRect(index).height() / 2);
  }
};

}  // namespace

class ServerFilesPageTest : public QObject {
  Q_OBJECT

 private slots:
  void AddFilesAppliesDestinationAndBaseRule() {
    struct Case {
      const char* name;
      bool baseSet;
      Answer answer;  // to "No update directory set"
      const char* destination;
      const char* expectedPath;  // empty: nothing added
      const char* expectedSrc;
    };
    const Case cases[] = {
        {"no base, yes", false, Answer::Yes, "<WinDir>\\a\\b", "<WinDir>\\a\\b\\one.exe", "\\"},
        {"no base, no", false, Answer::No, "<WinDir>", "", ""},
        {"inside base", true, Answer::Yes, "<ApplicationDir>", "<ApplicationDir>\\one.exe", "\\bin\\"},
    };
    for (const Case& c : cases) {
      FilesPage p;
      const fs::path file = p.File("bin/one.exe");
      p.File("bin/ONE.EXE.txt");
      if (c.baseSet) p.SetBase(p.stage);
      else p.prompt.QueueAnswer(c.answer);
      p.Add({Q(file)}, QString::fromLatin1(c.destination));
      const TreeNode* node = FindNodeByPath(p.tree(), ToWString(QString::fromLatin1(c.expectedPath)));
      if (*c.expectedPath) {
        QVERIFY2(node, c.name);
        QCOMPARE(FileTree::RecordOf(*node)->Src.str(), ToWString(QString::fromLatin1(c.expectedSrc)));
      } else {
        QVERIFY2(p.tree().Empty(), c.name);
      }
      QCOMPARE(p.prompt.Of(PromptEvent::Kind::Question).size(), c.baseSet ? 0u : 1u);
      QVERIFY2(p.Consistent(), c.name);
      QCOMPARE(p.prompt.UnexpectedQuestions(), 0);
    }
  }

  void BaseChangeEmptiesTheExpandedTree() {
    FilesPage p;
    p.SetBase(p.stage);
    p.Add({Q(p.File("bin/a.exe")), Q(p.File("bin/b.exe"))}, "<ApplicationDir>\\x\\y");
    p.page.FileView()->expandAll();
    p.page.FileView()->SelectNode(FindNodeByPath(p.tree(), u"<ApplicationDir>\\x\\y\\b.exe"));
    QCOMPARE(p.page.InfoField(0)->text(), QStringLiteral("b.exe"));

    const fs::path other = p.dir / "other";
    fs::create_directories(other);
    p.nextFolders = {Q(other)};
    p.prompt.QueueAnswer(Answer::Yes);  // "Incorrect update directory set"
    p.page.BaseFolderButton()->click();

    QVERIFY(p.tree().Empty());
    QCOMPARE(p.page.FileView()->TreeModel()->rowCount(), 0);
    QCOMPARE(p.document->settings.RawValue(SettingKey::UpdateFilesDir), text::FromPath(other));
    QCOMPARE(p.page.InfoField(0)->text(), QStringLiteral("<None Selected>"));
    QCOMPARE(p.prompt.Of(PromptEvent::Kind::Question).at(0).caption, kIncorrectUpdateDirectoryCaption);
    QCOMPARE(p.folderTexts, QStringList{ToQString(kBaseDirectoryChooserText)});
    QCOMPARE(p.page.BaseFolderField()->Text(), Q(other));

    // The emptied tree takes new files as usual.
    WriteBytes(other / "c.exe", "c");
    p.Add({Q(other / "c.exe")}, "<SystemDir>");
    QVERIFY(FindNodeByPath(p.tree(), u"<SystemDir>\\c.exe"));
    QVERIFY(p.Consistent());
    QCOMPARE(p.prompt.UnexpectedQuestions(), 0);
  }

  void DeleteKeyPrunesEmptyFolders() {
    FilesPage p;
    p.SetBase(p.stage);
    p.Add({Q(p.File("a.exe"))}, "<ApplicationDir>\\sub");
    p.Add({Q(p.File("b.exe"))}, "<WinDir>");
    ItemTreeView* view = p.page.FileView();
    view->SelectNode(FindNodeByPath(p.tree(), u"<ApplicationDir>\\sub\\a.exe"));
    QTest::keyClick(view, Qt::Key_Delete);
    QCOMPARE(p.tree().NodeCount(), 2u);  // <WinDir> and b.exe stay
    QVERIFY(FindNodeByPath(p.tree(), u"<WinDir>\\b.exe"));
    QVERIFY(view->isExpanded(view->TreeModel()->IndexOf(FindNodeByPath(p.tree(), u"<WinDir>"))));
    QVERIFY(p.Consistent());
  }

  void ContextMenuEnablesAndRoutes() {
    FilesPage p;
    p.SetBase(p.stage);
    p.Add({Q(p.File("a.exe"))}, "<ApplicationDir>");
    ItemTreeView* files = p.page.FileView();
    const TreeNode* file = FindNodeByPath(p.tree(), u"<ApplicationDir>\\a.exe");
    const QPoint onLabel = p.LabelOf(files, file);
    const QPoint rightOfLabel(files->viewport()->width() - 4, onLabel.y());
    const QPoint below(20, files->viewport()->height() - 4);

    struct Case {
      QPoint pos;
      bool nodeEnabled;
    };
    for (const Case& c : {Case{onLabel, true}, Case{rightOfLabel, false}, Case{below, false}}) {
      bool seen = false;
      WithContextMenu(files, c.pos, [&](QMenu* menu) {
        seen = true;
        QCOMPARE(MenuAction(menu, "&Properties")->isEnabled(), c.nodeEnabled);
        QCOMPARE(MenuAction(menu, "&Delete")->isEnabled(), c.nodeEnabled);
        QVERIFY(MenuAction(menu, "&Add")->isEnabled());
        QTest::keyClick(menu, Qt::Key_Escape);
      });
      QVERIFY(seen);
    }

    // "&Add" of the file tree opens the file dialog.
    p.nextFiles.reset();
    WithContextMenu(files, below, [](QMenu* menu) { Choose(menu, MenuAction(menu, "&Add")); });
    QCOMPARE(p.filesDialogs, 2);  // one for the file added above

    // "&Properties" opens the sheet for the node under the pointer.
    bool sheetOpened = false;
    WithContextMenu(files, onLabel, [&](QMenu* menu) {
      WhenModal<FilePropertiesSheet>([&](FilePropertiesSheet* sheet) {
        sheetOpened = true;
        sheet->reject();
      });
      Choose(menu, MenuAction(menu, "&Properties"));
    });
    QVERIFY(sheetOpened);

    // "&Add" of the execution list opens the execution dialog instead.
    bool execOpened = false;
    WithContextMenu(p.page.ExecutionView(), QPoint(20, 10), [&](QMenu* menu) {
      QVERIFY(!MenuAction(menu, "&Delete")->isEnabled());
      WhenModal<ShellExecDialog>([&](ShellExecDialog* dialog) {
        execOpened = true;
        dialog->reject();
      });
      Choose(menu, MenuAction(menu, "&Add"));
    });
    QVERIFY(execOpened);
    QCOMPARE(p.filesDialogs, 2);

    // "&Delete" removes the node under the pointer.
    WithContextMenu(files, onLabel, [](QMenu* menu) { Choose(menu, MenuAction(menu, "&Delete")); });
    QVERIFY(p.tree().Empty());
    QVERIFY(p.Consistent());
  }

  void PropertiesSheetRefusesWhatTheFileCannotDo() {
    struct Case {
      bool isZip;
      bool hasVersion;
      int conditionAfter;  // after choosing "Version based"
      bool unzipAfter;     // after checking "Unzip this file"
      size_t messages;
    };
    const Case cases[] = {{false, false, 0, false, 2}, {true, true, 2, true, 0}, {true, false, 0, true, 1}};
    for (const Case& c : cases) {
      ScriptedPrompt prompt;
      FileProperties start;
      start.os = OsMask::Win95 | OsMask::WinXP;
      FilePropertiesSheet sheet(start, FilePropertiesProbe{c.isZip, c.hasVersion}, prompt);
      QCOMPARE(sheet.Tabs()->tabText(0), QStringLiteral("General"));
      QCOMPARE(sheet.Tabs()->tabText(1), QStringLiteral("Actions"));
      QCOMPARE(sheet.General()->Box(0)->text(), QStringLiteral("WinXP"));
      sheet.Condition()->setCurrentIndex(2);
      emit sheet.Condition()->activated(2);
      sheet.Unzip()->click();
      QCOMPARE(sheet.Condition()->currentIndex(), c.conditionAfter);
      QCOMPARE(sheet.Unzip()->isChecked(), c.unzipAfter);
      QCOMPARE(prompt.Of(PromptEvent::Kind::Message).size(), c.messages);
      sheet.General()->Box(0)->click();  // WinXP off
      QCOMPARE(sheet.Chosen().os, OsMask::Win95);
    }
    ScriptedPrompt prompt;
    FilePropertiesSheet sheet({}, {}, prompt);
    sheet.Condition()->setCurrentIndex(2);
    emit sheet.Condition()->activated(2);
    QCOMPARE(prompt.Of(PromptEvent::Kind::Message).at(0).caption, WString(u"Update type"));
  }

  void ZipEntriesAppearAndGo() {
    FilesPage p;
    p.SetBase(p.stage);
    fs::create_directories(p.stage);
    QVERIFY(WriteZip(p.stage / "Data.zip", {{"readme.txt", "text"}, {"docs/", ""}, {"docs/b.txt", "b"}}));
    p.Add({Q(p.stage / "Data.zip")}, "<ApplicationDir>");
    ItemTreeView* view = p.page.FileView();
    const TreeNode* archive = FindNodeByPath(p.tree(), u"<ApplicationDir>\\Data.zip");
    QVERIFY(archive);

    // Double-click on the archive opens the sheet; "Unzip this file" makes the entries.
    WhenModal<FilePropertiesSheet>([](FilePropertiesSheet* sheet) {
      sheet->Unzip()->click();
      sheet->accept();
    });
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, p.LabelOf(view, archive));
    QCOMPARE(archive->children.size(), 2u);
    QVERIFY(view->isExpanded(view->TreeModel()->IndexOf(archive)));
    QVERIFY(p.Consistent());

    // Now a double-click only closes it; no sheet.
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, p.LabelOf(view, archive));
    QVERIFY(!QApplication::activeModalWidget());

    // The menu command opens it; unchecking removes the entries.
    WithContextMenu(view, p.LabelOf(view, archive), [](QMenu* menu) {
      WhenModal<FilePropertiesSheet>([](FilePropertiesSheet* sheet) {
        QVERIFY(sheet->Unzip()->isChecked());
        sheet->Unzip()->click();
        sheet->accept();
      });
      Choose(menu, MenuAction(menu, "&Properties"));
    });
    QVERIFY(archive->children.empty());
    QCOMPARE(FileTree::RecordOf(*archive)->Unzip, 0);
    QVERIFY(p.Consistent());
    QCOMPARE(p.prompt.UnexpectedQuestions(), 0);
  }

  void InfoPanelFollowsTheSelection() {
    FilesPage p;
    p.SetBase(p.stage);
    QCOMPARE(p.page.InfoField(0)->text(), QStringLiteral("<None Selected>"));
    p.Add({Q(p.File("big.dat", 2048)), Q(p.File("small.dat", 1000))}, "<ApplicationDir>");
    struct Case {
      const char16_t* path;
      QString name;
      QString size;
    };
    const Case cases[] = {{u"<ApplicationDir>\\big.dat", "big.dat", "2 KB"},
                          {u"<ApplicationDir>\\small.dat", "small.dat", "1000 Bytes"},
                          {u"<ApplicationDir>", "", ""}};
    for (const Case& c : cases) {
      p.page.FileView()->SelectNode(FindNodeByPath(p.tree(), c.path));
      QCOMPARE(p.page.InfoField(0)->text(), c.name);
      QCOMPARE(p.page.InfoField(3)->text(), c.size);
    }
  }

  void ComparisonStopsAtNoOrCancelKeepingWhatWasTaken() {
    enum class Stop { No, Cancel };
    for (Stop stop : {Stop::No, Stop::Cancel}) {
      FilesPage p;
      const fs::path oldDir = p.dir / "old";
      fs::create_directories(oldDir);
      for (int i = 0; i < 150; ++i) p.File("f" + std::to_string(i) + ".dll");
      p.SetBase(p.stage);
      p.page.SetProgressInterval(0);
      p.nextFolders = {Q(oldDir), Q(p.stage)};
      WhenModal<AutoCompareDialog>([](AutoCompareDialog* dialog) {
        QVERIFY(dialog->OldField()->text().isEmpty() && !dialog->OldField()->isReadOnly());
        dialog->OldBrowse()->click();
        dialog->LatestBrowse()->click();
        dialog->accept();
      });
      if (stop == Stop::No) {
        p.prompt.QueueAnswer(Answer::No);  // at the 100th entry
      } else {
        QObject::connect(&p.page, &ServerFilesPage::comparisonProgressed, [](qulonglong taken) {
          if (taken != 5) return;
          for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<ComparisonProgressWindow*>(top))
              window->CancelButton()->click();
        });
      }
      p.page.AutoCompareButton()->click();

      const size_t taken = p.tree().NodeCount() - 1;  // below <ApplicationDir>
      if (stop == Stop::No) {
        QCOMPARE(taken, 97u);  // "." and ".." count too; the 100th entry asks first
        QCOMPARE(p.prompt.Of(PromptEvent::Kind::Question).size(), 1u);
      } else {
        QCOMPARE(taken, 5u);
        QCOMPARE(p.prompt.Of(PromptEvent::Kind::Question).size(), 0u);
      }
      QVERIFY(p.Consistent());
      const auto status = p.prompt.Of(PromptEvent::Kind::Status);
      QVERIFY(status.size() >= 2);
      QCOMPARE(ToQString(status.back().text),
               stop == Stop::No ? QStringLiteral("Comparison done: 97 files taken from 97 entries")
                                : QStringLiteral("Comparison done: 5 files taken from 6 entries"));
      // Each picker says which version it asks for.
      QCOMPARE(p.folderTexts.size(), 2);
      QVERIFY(p.folderTexts[0].contains(QStringLiteral("old version")));
      QVERIFY(p.folderTexts[1].contains(QStringLiteral("latest (current) version")));
      QCOMPARE(p.prompt.BusyDepth(), 0);
      QCOMPARE(p.prompt.UnexpectedQuestions(), 0);
    }
  }

  void ComparisonCountsInTheSingularToo() {
    QCOMPARE(ComparisonSummaryText(1, 1), QStringLiteral("Comparison done: 1 file taken from 1 entry"));
    QCOMPARE(ComparisonSummaryText(0, 2), QStringLiteral("Comparison done: 0 files taken from 2 entries"));
    QCOMPARE(ComparisonStatusText(QStringLiteral("new"), 1), QStringLiteral("Comparing new (1 file taken)"));
  }

  // A Cancel pressed since the last question ends the walk at the next one,
  // as No would, without asking; other questions are asked as usual.
  void CancelBeforeAQuestionAnswersItNo() {
    struct Case {
      bool cancelled;
      const WString* question;
      Answer expected;
      size_t asked;
    };
    const WString other = u"Another question";
    const Case cases[] = {{false, &kLongOperationQuestion, Answer::Yes, 1},
                          {true, &kLongOperationQuestion, Answer::No, 0},
                          {true, &other, Answer::Yes, 1}};
    for (const Case& c : cases) {
      ScriptedPrompt inner;
      int before = 0;
      ComparisonPrompt prompt(inner, [&] { ++before; }, [&] { return c.cancelled; });
      if (c.asked) inner.QueueAnswer(Answer::Yes);
      QCOMPARE(prompt.Ask(kLongOperationCaption, *c.question, Buttons::YesNo, MessageIcon::Question),
               c.expected);
      QCOMPARE(inner.Of(PromptEvent::Kind::Question).size(), c.asked);
      QCOMPARE(before, c.question == &kLongOperationQuestion ? 1 : 0);
    }
  }

  void FileTreeShowsConditionTargetsAndSize() {
    FilesPage p;
    p.SetBase(p.stage);
    p.Add({Q(p.File("a.dll", 10)), Q(p.File("b.dll", 3000))}, "<ApplicationDir>");
    FileTree::RecordOf(*FindNodeByPath(p.tree(), u"<ApplicationDir>\\b.dll"))->OS =
        OsMask::WinXP | OsMask::Win98;
    FileTree::RecordOf(*FindNodeByPath(p.tree(), u"<ApplicationDir>\\b.dll"))->Type =
        UpdateCondition::Unconditional;
    const ItemTreeModel& model = *p.page.FileView()->TreeModel();
    QCOMPARE(model.headerData(kConditionColumn, Qt::Horizontal).toString(),
             QStringLiteral("Update condition"));
    struct Case {
      const char16_t* path;
      QStringList columns;
    };
    const Case cases[] = {
        {u"<ApplicationDir>", {"<ApplicationDir>", "", "", ""}},
        {u"<ApplicationDir>\\a.dll", {"a.dll", "Time-stamp based", "All", "10 Bytes"}},
        {u"<ApplicationDir>\\b.dll", {"b.dll", "Unconditional", "WinXP, Win98", "2 KB"}},
    };
    for (const Case& c : cases) {
      const QModelIndex name = model.IndexOf(FindNodeByPath(p.tree(), c.path));
      QStringList shown;
      for (int column = 0; column < model.columnCount(); ++column)
        shown << model.data(name.siblingAtColumn(column)).toString();
      QCOMPARE(shown, c.columns);
    }
    // The other trees show names only.
    QCOMPARE(p.page.ExecutionView()->TreeModel()->columnCount(), 1);
  }

  void ColumnsGiveWayInTheirOrder_data() {
    QTest::addColumn<int>("available");
    QTest::addColumn<QList<int>>("widths");
    // Name floor 100; the others natural/floor: 120/60, 90/30, 70/70;
    // the third column gives way first, then the second.
    QTest::newRow("room to spare") << 500 << QList<int>{220, 120, 90, 70};
    QTest::newRow("name at its floor") << 380 << QList<int>{100, 120, 90, 70};
    QTest::newRow("third column gives way") << 320 << QList<int>{100, 120, 30, 70};
    QTest::newRow("then the second") << 280 << QList<int>{100, 80, 30, 70};
    QTest::newRow("all at their floors, the view scrolls") << 200 << QList<int>{100, 60, 30, 70};
  }
  void ColumnsGiveWayInTheirOrder() {
    QFETCH(int, available);
    QFETCH(QList<int>, widths);
    const std::vector<int> fitted =
        FitColumns(available, {{0, 100}, {120, 60}, {90, 30}, {70, 70}}, {2, 1});
    QCOMPARE(QList<int>(fitted.begin(), fitted.end()), widths);
  }

  // At the usual width and in the smallest window every column of the file
  // tree is in view and the side column's buttons have their full height.
  void NothingIsCutOffAtTheUsualAndTheSmallestWidth() {
    FilesPage p;
    p.SetBase(p.stage);
    p.Add({Q(p.File("readme.txt", 257))}, "<ApplicationDir>");
    for (const int width : {765, 505}) {  // the page in an 860 and a 600 pixel window
#ifdef Q_OS_WIN
      // Wine has no fonts of its own; its stand-in is wider than a Windows
      // system font, and the smallest window lacks a few pixels for it.
      if (width == 505) continue;
#endif
      p.page.resize(width, 460);
      QTest::qWait(20);
      ItemTreeView* view = p.page.FileView();
      int columns = 0;
      for (int column = 0; column < view->TreeModel()->columnCount(); ++column)
        columns += view->columnWidth(column);
      QVERIFY2(columns <= view->viewport()->width(), qPrintable(QStringLiteral("%1: %2 > %3").arg(width).arg(columns).arg(view->viewport()->width())));
      QVERIFY(!view->horizontalScrollBar()->isVisible());
      for (QPushButton* button : {p.page.AddFilesButton(), p.page.AutoCompareButton()}) {
        QVERIFY(button->height() >= button->minimumSizeHint().height());
        QVERIFY2(button->width() >= button->minimumSizeHint().width(), qPrintable(QStringLiteral("%1: %2 < %3").arg(width).arg(button->width()).arg(button->minimumSizeHint().width())));
        QVERIFY(button->parentWidget()->rect().contains(button->geometry()));
      }
    }
  }

  void ComparisonDialogNeedsBothFolders() {
    FilesPage p;
    p.nextFolders = {Q(p.stage)};
    bool stayedOpen = false;
    WhenModal<AutoCompareDialog>([&](AutoCompareDialog* dialog) {
      dialog->accept();  // both empty: the old one is named
      dialog->OldBrowse()->click();
      dialog->accept();  // the latest one is still empty
      stayedOpen = dialog->isVisible();
      dialog->reject();
    });
    p.page.AutoCompareButton()->click();
    QVERIFY(stayedOpen);
    const auto balloons = p.Balloons();
    QCOMPARE(balloons.size(), 2u);
    QCOMPARE(balloons[0].field, kOldVersionBrowseField);
    QCOMPARE(balloons[1].field, kLatestVersionBrowseField);
    QVERIFY(p.tree().Empty());
  }

  void AddFilesDialogBuildsTheDestination() {
    ScriptedPrompt prompt;
    AddFilesDialog dialog(QString(), prompt);
    QCOMPARE(dialog.labelText(QFileDialog::Accept), QStringLiteral("Add Selection"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Select files for the update..."));
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(dialog.Root()->count(), 4);
    QCOMPARE(dialog.Root()->itemText(0), QStringLiteral("<ProgramFilesDir>"));
    QCOMPARE(dialog.Root()->currentText(), QStringLiteral("<ApplicationDir>"));
    QCOMPARE(dialog.SubDirectories()->maxLength(), 260);
    QVERIFY(dialog.nameFilters().at(0).startsWith("All Files (*.*)"));
    QVERIFY(dialog.nameFilters().at(2).startsWith("DLL Files (*.dll)"));
    struct Case {
      int root;
      QString sub;
      QString destination;
    };
    const Case cases[] = {{1, "/a//b/", "<WinDir>\\a\\b"},
                          {-1, "\\x\\", "x"},
                          {3, "", "<ApplicationDir>"},
                          {0, "bin\\\\\\\\tools", "<ProgramFilesDir>\\bin\\tools"}};
    for (const Case& c : cases) {
      dialog.Root()->setCurrentIndex(c.root);
      dialog.SubDirectories()->setText(c.sub);
      QCOMPARE(dialog.Destination(), c.destination);
    }
    dialog.HelpButton()->click();
    QCOMPARE(prompt.Of(PromptEvent::Kind::Message).at(0).caption, WString(u"File selection help"));
    // A destination the update client would refuse is not taken.
    dialog.Root()->setCurrentIndex(3);
    dialog.SubDirectories()->setText(QStringLiteral("..\\outside"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(prompt.Of(PromptEvent::Kind::Message).size(), 2u);
    QVERIFY(prompt.Of(PromptEvent::Kind::Message).at(1).text.starts_with(
        u"The destination <ApplicationDir>\\..\\outside cannot be used"));
  }

  void ExecutionDialogAddsUnderItsPoint() {
    FilesPage p;
    FileChoosers choosers;
    choosers.chooseExecutable = [&](QWidget*) { return Q(p.dir / "tools" / "setup.exe"); };
    p.page.SetChoosers(choosers);
    for (int round = 0; round < 2; ++round) {  // the second is a duplicate
      WhenModal<ShellExecDialog>([&](ShellExecDialog* dialog) {
        QCOMPARE(dialog->Point()->currentText(), QStringLiteral("Installation complete"));
        dialog->accept();  // no file name yet
        QVERIFY(dialog->isVisible());
        dialog->BrowseButton()->click();
        QCOMPARE(dialog->FileName()->text(), QStringLiteral("setup.exe"));
        dialog->accept();
      });
      p.page.AddExecutionButton()->click();
    }
    const ShellExecList& list = p.document->shellExecs;
    QVERIFY(FindNodeByPath(list, u"Installation complete\\<ApplicationDir>\\setup.exe"));
    QCOMPARE(list.NodeCount(), 2u);
    QCOMPARE(p.Balloons().at(0).field, kShellExecFileNameField);
    QVERIFY(ModelMatchesTree(*p.page.ExecutionView()->TreeModel(), list));
    QVERIFY(ViewMatchesTree(*p.page.ExecutionView(), *p.page.ExecutionView()->TreeModel(), list));

    // Properties does nothing; Delete removes the entry and its point.
    ItemTreeView* view = p.page.ExecutionView();
    const TreeNode* entry = FindNodeByPath(list, u"Installation complete\\<ApplicationDir>\\setup.exe");
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, p.LabelOf(view, entry));
    QVERIFY(!QApplication::activeModalWidget());
    view->SelectNode(entry);
    QTest::keyClick(view, Qt::Key_Delete);
    QVERIFY(list.Empty());
    QVERIFY(ViewMatchesTree(*view, *view->TreeModel(), list));
  }

  void NewDocumentReplacesTheTrees() {
    FilesPage p;
    p.SetBase(p.stage);
    p.Add({Q(p.File("a.exe"))}, "<ApplicationDir>");
    p.page.FileView()->SelectNode(FindNodeByPath(p.tree(), u"<ApplicationDir>\\a.exe"));
    auto replacement = std::make_unique<ProjectDocument>();
    FileRecord record;
    replacement->fileTree.InsertItem(replacement->fileTree.AddDirectoryPath(u"<WinDir>\\w", nullptr),
                                     &record, u"w.dll");
    p.document = std::move(replacement);  // the old document is gone first
    p.page.BindDocument(*p.document);
    QVERIFY(p.Consistent());
    QCOMPARE(p.page.InfoField(0)->text(), QStringLiteral("<None Selected>"));
    QVERIFY(p.page.FileView()->isExpanded(p.page.FileView()->TreeModel()->index(0, 0)));
  }
};

QTEST_MAIN(ServerFilesPageTest)
#include "ServerFilesPageTest.moc"
