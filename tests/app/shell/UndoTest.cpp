#include <QAction>
#include <QLineEdit>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "content/RegistryItemRules.h"
#include "content/ShellExecRules.h"
#include "files/FileRecord.h"
#include "files/FileTree.h"
#include "files/TreePath.h"
#include "models/ItemTreeModel.h"
#include "models/ItemTreeView.h"
#include "models/TreeEdits.h"
#include "pages/client/ClientPageWidget.h"
#include "pages/files/ServerFilesPage.h"
#include "pages/registry/RegistryPage.h"
#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"
#include "shell/DeferredPage.h"
#include "shell/MainActions.h"
#include "shell/MainWindow.h"
#include "shell/PageCommands.h"
#include "shell/PageHost.h"
#include "shell/QtPreferences.h"
#include "shell/QtText.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/NavigationBar.h"

using namespace tidewell;
using namespace tidewell::app;
using tidewell::testing::ScriptedPrompt;
using tidewell::testing::TempDir;

namespace {

// The product's main window and pages over a new project.
struct Window {
  explicit Window(const std::filesystem::path& folder)
      : preferences(QString::fromStdString((folder / "prefs.ini").string())) {
    MainWindowOptions options;
    options.runProjectDialog = [folder, this](ProjectDialogMode) {
      ScriptedPrompt dialogPrompt;
      ProjectDialogResult result;
      if (created) return result;
      created = true;
      result.outcome = ProjectDialogResult::Outcome::New;
      result.created = *ConfirmNewProject(u"Undo", text::FromPath(folder / "Undo"), dialogPrompt);
      return result;
    };
    window = std::make_unique<MainWindow>(prompt, preferences, fields, std::move(options));
    window->Start();
    QTRY_VERIFY(window->windowTitle().startsWith("Tidewell - Undo"));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }
  ~Window() {
    prompt.QueueAnswer(Answer::No);
    window->close();
  }
  template <typename P>
  P& Page(int command) {
    window->ShowPage(command);
    auto* deferred = static_cast<DeferredPage*>(window->Pages()->Pages().PageOf(command));
    return *static_cast<P*>(deferred->Made());
  }
  ProjectDocument& Document() { return window->Lifecycle().Document(); }
  // The document as saved and the client page's title field as shown.
  std::string State() {
    WString text;
    WriteDocumentText(Document(), text, XmlForm::ProjectForm);
    auto& client = Page<ClientPageWidget>(int(Command::ClientPage));
    return text::ToUtf8(text) + "|" + client.AppTitleField()->text().toStdString();
  }
  void Keys(const QKeySequence& keys) { QTest::keySequence(window.get(), keys); }

  QtPreferences preferences;
  ScriptedPrompt prompt;
  FieldRegistry fields;
  bool created = false;
  std::unique_ptr<MainWindow> window;
};

using Edit = std::function<void(Window&)>;

// Every edit a page makes goes through one of these: a tree change of a page's
// view, a record edited in place, the variables, a typed field.
void InTree(ItemTreeView* view, const std::function<void()>& change) {
  TreeChange scope(*view);
  change();
}

}  // namespace

Q_DECLARE_METATYPE(Edit)

class UndoTest : public QObject {
  Q_OBJECT

 private:
  TempDir dir_;

 private slots:
  void EveryKindOfEditIsUndoneAndRedone_data() {
    QTest::addColumn<Edit>("edit");
    QTest::newRow("files added") << Edit([](Window& w) {
      auto& page = w.Page<ServerFilesPage>(int(Command::ServerFilesPage));
      InTree(page.FileView(), [&] {
        FileRecord record;
        TreeNode* folder = w.Document().fileTree.AddDirectoryPath(u"<ApplicationDir>\\bin", nullptr);
        w.Document().fileTree.InsertItem(folder, &record, u"App.exe");
      });
    });
    QTest::newRow("folder deleted") << Edit([](Window& w) {
      auto& page = w.Page<ServerFilesPage>(int(Command::ServerFilesPage));
      TreeNode* node = const_cast<TreeNode*>(FindNodeByPath(w.Document().fileTree, u"<ApplicationDir>"));
      QVERIFY(node);
      emit page.FileView()->deleteRequested(node);
    });
    QTest::newRow("file properties") << Edit([](Window& w) {
      auto& page = w.Page<ServerFilesPage>(int(Command::ServerFilesPage));
      TreeNode* node =
          const_cast<TreeNode*>(FindNodeByPath(w.Document().fileTree, u"<ApplicationDir>\\Base.dll"));
      QVERIFY(node);
      InTree(page.FileView(), [&] { FileTree::RecordOf(*node)->Unzip = 1; });
    });
    QTest::newRow("execution added") << Edit([](Window& w) {
      auto& page = w.Page<ServerFilesPage>(int(Command::ServerFilesPage));
      ShellExecFields fields;
      fields.fileName = u"setup.exe";
      InTree(page.ExecutionView(), [&] { AddShellExecution(w.Document().shellExecs, fields); });
    });
    QTest::newRow("registry properties") << Edit([](Window& w) {
      const TreeNode* key = w.Document().registryTree.Children(nullptr).front();
      while (!key->IsItem()) key = w.Document().registryTree.Children(key).front();
      const_cast<TreeNode*>(key)->record->OS = 3;
      TreeEdits::Instance().Committed();
    });
    QTest::newRow("variable added") << Edit([](Window& w) {
      w.Document().variables.AddVariable({}, u"HKEY_CURRENT_USER\\Software\\Undo", u"REG_SZ");
    });
    QTest::newRow("page field typed") << Edit([](Window& w) {
      auto& client = w.Page<ClientPageWidget>(int(Command::ClientPage));
      client.AppTitleField()->setFocus();
      client.AppTitleField()->selectAll();
      QTest::keyClicks(client.AppTitleField(), "Typed title");
      // Leaving the field stores it.
      client.CompanyNameField()->setFocus();
      QApplication::processEvents();
    });
  }

  void EveryKindOfEditIsUndoneAndRedone() {
    QFETCH(Edit, edit);
    const std::filesystem::path folder = dir_ / QTest::currentDataTag();
    std::filesystem::create_directories(folder);
    Window w(folder);
    // Something in every list, saved.
    {
      auto& page = w.Page<ServerFilesPage>(int(Command::ServerFilesPage));
      InTree(page.FileView(), [&] {
        FileRecord record;
        TreeNode* top = w.Document().fileTree.AddDirectoryPath(u"<ApplicationDir>", nullptr);
        w.Document().fileTree.InsertItem(top, &record, u"Base.dll");
      });
      RegistryItemFields fields;
      fields.subKey = u"Software\\Undo";
      fields.valueName = u"Edition";
      fields.valueData = u"Pro";
      AddRegistryOperation(w.Document().registryTree, fields);
      TreeEdits::Instance().Committed();
    }
    w.window->RunCommand(int(Command::Save));
    QVERIFY(!w.window->isWindowModified());
    QAction* undo = w.window->Actions()->Action(Command::Undo);
    const std::string before = w.State();

    edit(w);
    // The keys go to the window, not to a text field's own undo.
    w.window->Navigation()->setFocus();
    QApplication::processEvents();
    const std::string after = w.State();
    QVERIFY(after != before);

    w.Keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(w.State(), before);
    QVERIFY(!w.window->isWindowModified());
    w.Keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    QCOMPARE(w.State(), after);
    QVERIFY(w.window->isWindowModified());
    QVERIFY(undo->isEnabled());
    QCOMPARE(w.prompt.UnexpectedQuestions(), 0);
  }

  // Undo and redo restore the document; the trees open as they were, where
  // the folders still exist, and keep their current node.
  void TheTreesStayOpenAcrossUndoAndRedo() {
    const std::filesystem::path folder = dir_ / "open";
    std::filesystem::create_directories(folder);
    Window w(folder);
    auto& page = w.Page<ServerFilesPage>(int(Command::ServerFilesPage));
    ItemTreeView* view = page.FileView();
    FileTree& tree = w.Document().fileTree;
    InTree(view, [&] {
      FileRecord record;
      for (const char16_t* path : {u"<ApplicationDir>\\bin\\sub", u"<ApplicationDir>\\Data"})
        tree.InsertItem(tree.AddDirectoryPath(path, nullptr), &record, u"App.exe");
    });
    const auto node = [&](const char16_t* path) {
      return view->TreeModel()->IndexOf(FindNodeByPath(w.Document().fileTree, path));
    };
    view->expand(node(u"<ApplicationDir>\\bin"));
    view->expand(node(u"<ApplicationDir>\\bin\\sub"));
    view->SelectNode(FindNodeByPath(tree, u"<ApplicationDir>\\bin\\sub\\App.exe"));
    const ItemTreeView::State open = view->SaveState();
    QCOMPARE(open.expanded.size(), size_t{3});  // the top, bin and bin\sub
    // An edit elsewhere: Data goes.
    emit view->deleteRequested(
        const_cast<TreeNode*>(FindNodeByPath(tree, u"<ApplicationDir>\\Data")));
    w.window->Navigation()->setFocus();
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
      w.Keys(keys);
      const ItemTreeView::State shown = view->SaveState();
      QCOMPARE(shown.expanded, open.expanded);
      QVERIFY(shown.hasCurrent);
      QCOMPARE(shown.current, open.current);
      QVERIFY(!view->isExpanded(node(u"<ApplicationDir>\\Data")));
    }
  }
};

QTEST_MAIN(UndoTest)
#include "UndoTest.moc"
