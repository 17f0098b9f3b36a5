#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "shell/ProjectDialog.h"
#include "shell/QtText.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"
#include "toolkit/FieldRegistry.h"

using namespace tidewell;
using namespace tidewell::app;
using tidewell::testing::PromptEvent;
using tidewell::testing::ScriptedPrompt;
using tidewell::testing::TempDir;
using Outcome = ProjectDialogResult::Outcome;

namespace {

// A folder path written with '/' in the host's own separators.
QString Host(QString path) { return path.replace(QLatin1Char('/'), QDir::separator()); }

ProjectDialogInput Input(ProjectDialogMode mode, bool showLoadScreen = true) {
  ProjectDialogInput input;
  input.mode = mode;
  input.initialLocation = ToWString(Host(QStringLiteral("/tools//tidewell/")));
  input.showLoadScreen = showLoadScreen;
  input.openChoices.recent = {{u"Newest", u"/p/newest/Settings.xml"},
                              {u"Older", u"/p/older/Settings.xml"}};
  input.openChoices.initialPath = u"/p/newest/Settings.xml";
  return input;
}

QStringList TabTexts(const QTabWidget* tabs) {
  QStringList texts;
  for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
  return texts;
}

}  // namespace

Q_DECLARE_METATYPE(ProjectDialogMode)

class ProjectDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void ModesShowTheirTabsAndBox_data() {
    QTest::addColumn<ProjectDialogMode>("mode");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QStringList>("tabs");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("boxShown");
    QTest::addColumn<bool>("boxChecked");
    QTest::newRow("open") << ProjectDialogMode::OpenMode << true << QStringList{"New", "Load"} << 1
                          << true << true;
    QTest::newRow("open, box off") << ProjectDialogMode::OpenMode << false
                                   << QStringList{"New", "Load"} << 1 << true << false;
    QTest::newRow("new") << ProjectDialogMode::NewMode << true << QStringList{"New", "Load"} << 0
                         << false << false;
    QTest::newRow("save as") << ProjectDialogMode::SaveAsMode << true << QStringList{"Save As"}
                             << 0 << false << false;
  }
  void ModesShowTheirTabsAndBox() {
    QFETCH(ProjectDialogMode, mode);
    QFETCH(bool, stored);
    QFETCH(QStringList, tabs);
    QFETCH(int, current);
    QFETCH(bool, boxShown);
    QFETCH(bool, boxChecked);
    ScriptedPrompt prompt;
    FieldRegistry fields;
    ProjectDialog dialog(Input(mode, stored), prompt, fields);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Project management"));
    QCOMPARE(TabTexts(dialog.Tabs()), tabs);
    QCOMPARE(dialog.Tabs()->currentIndex(), current);
    QCOMPARE(dialog.LoadScreenBox()->isVisible(), boxShown);
    QCOMPARE(dialog.LoadScreenBox()->isChecked(), boxChecked);
    dialog.reject();
    QCOMPARE(dialog.Result().outcome, Outcome::Cancel);
    QCOMPARE(dialog.Result().showLoadScreen, boxChecked);
  }

  void LocationFollowsTheNameAndKeepsTheCaret() {
    ScriptedPrompt prompt;
    FieldRegistry fields;
    ProjectDialog dialog(Input(ProjectDialogMode::NewMode), prompt, fields);
    dialog.show();
    QCOMPARE(dialog.LocationEdit()->text(), Host(QStringLiteral("/tools/tidewell/")));
    QTest::keyClicks(dialog.NameEdit(), "App");
    QCOMPARE(dialog.LocationEdit()->text(), Host(QStringLiteral("/tools/tidewell/App")));

    // Typing a second separator in the middle: reduced at once, caret kept.
    QLineEdit* location = dialog.LocationEdit();
    location->setFocus();
    location->setCursorPosition(7);  // after "/tools/"
    QTest::keyClicks(location, QString(QDir::separator()));
    QCOMPARE(location->text(), Host(QStringLiteral("/tools/tidewell/App")));
    QCOMPARE(location->cursorPosition(), 7);
    QTest::keyClick(location, 'x');
    QCOMPARE(location->text(), Host(QStringLiteral("/tools/xtidewell/App")));
  }

  void OkRefusalsPointAtTheirFields_data() {
    QTest::addColumn<ProjectDialogMode>("mode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("field");
    QTest::newRow("load, nothing chosen")
        << ProjectDialogMode::OpenMode << "" << "" << "projectDialog.openBrowse";
    QTest::newRow("new, no location") << ProjectDialogMode::NewMode << "App" << ""
                                      << "projectDialog.location";
    QTest::newRow("new, no name") << ProjectDialogMode::NewMode << "" << "/somewhere"
                                  << "projectDialog.name";
    QTest::newRow("save as, parent missing")
        << ProjectDialogMode::SaveAsMode << "App" << "/no/such/parent/App" << "projectDialog.ok";
  }
  void OkRefusalsPointAtTheirFields() {
    QFETCH(ProjectDialogMode, mode);
    QFETCH(QString, name);
    QFETCH(QString, location);
    QFETCH(QString, field);
    ScriptedPrompt prompt;
    FieldRegistry fields;
    ProjectDialog dialog(Input(mode), prompt, fields);
    dialog.show();
    dialog.NameEdit()->setText(name);
    dialog.LocationEdit()->setText(location);
    dialog.PathEdit()->clear();
    dialog.OkButton()->click();
    QVERIFY(dialog.isVisible());  // the dialog stays
    const auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
    QCOMPARE(balloons.size(), size_t(1));
    QCOMPARE(QString::fromStdString(balloons[0].field), field);
    // The registry knows the widget the balloon must point at.
    QVERIFY(fields.Find(balloons[0].field).widget != nullptr);
    QVERIFY(fields.Find(balloons[0].field).widget->window() == &dialog);
  }

  void RecentProjectsFillThePathAndDoubleClickConfirms() {
    ScriptedPrompt prompt;
    FieldRegistry fields;
    ProjectDialog dialog(Input(ProjectDialogMode::OpenMode), prompt, fields);
    dialog.show();
    QCOMPARE(dialog.PathEdit()->text(), QStringLiteral("/p/newest/Settings.xml"));
    QListWidget* list = dialog.RecentList();
    QCOMPARE(list->count(), 2);
    list->setCurrentRow(1);
    QCOMPARE(dialog.PathEdit()->text(), QStringLiteral("/p/older/Settings.xml"));
    QVERIFY(dialog.isVisible());
    const QRect row = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Result().outcome, Outcome::Open);
    QCOMPARE(ToQString(dialog.Result().opened.Path()), QStringLiteral("/p/newest/Settings.xml"));
    QVERIFY(dialog.Result().showLoadScreen);
  }

  void NewProjectIsCreatedOnOk() {
    TempDir dir;
    ScriptedPrompt prompt;
    FieldRegistry fields;
    ProjectDialogInput input = Input(ProjectDialogMode::NewMode);
    input.initialLocation = text::FromPath(dir.Path()) + u"/";
    ProjectDialog dialog(input, prompt, fields);
    dialog.show();
    QTest::keyClicks(dialog.NameEdit(), "Fresh");
    QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);  // Enter is OK
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Result().outcome, Outcome::New);
    QCOMPARE(ToQString(dialog.Result().created.name), QStringLiteral("Fresh"));
    QVERIFY(std::filesystem::is_directory(dir / "Fresh"));
    QVERIFY(prompt.Of(PromptEvent::Kind::Balloon).empty());
  }

#ifdef Q_OS_WIN
  void DriveLetterLocations() {
    ScriptedPrompt prompt;
    FieldRegistry fields;
    ProjectDialogInput input = Input(ProjectDialogMode::NewMode);
    input.initialLocation = u"C:\\Tools\\\\Tidewell\\";
    ProjectDialog dialog(input, prompt, fields);
    dialog.show();
    QCOMPARE(dialog.LocationEdit()->text(), QStringLiteral("C:\\Tools\\Tidewell\\"));
    QTest::keyClicks(dialog.NameEdit(), "App");
    QCOMPARE(dialog.LocationEdit()->text(), QStringLiteral("C:\\Tools\\Tidewell\\App"));

    // A drive that does not exist: refused at OK, the dialog stays.
    dialog.LocationEdit()->setText(QStringLiteral("Q:\\Nowhere\\App"));
    dialog.OkButton()->click();
    QVERIFY(dialog.isVisible());
    const auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
    QCOMPARE(balloons.size(), size_t(1));
    QCOMPARE(QString::fromStdString(balloons[0].field), QStringLiteral("projectDialog.ok"));

    // A lower-case drive letter and forward slashes are a drive path too.
    TempDir dir;
    QString location = ToQString(text::FromPath(dir.Path())).replace(QLatin1Char('\\'), QLatin1Char('/'));
    location[0] = location[0].toLower();
    dialog.LocationEdit()->setText(location + QStringLiteral("/App"));
    dialog.OkButton()->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Result().outcome, Outcome::New);
    QVERIFY(std::filesystem::is_directory(dir / "App"));
  }
#endif
};

QTEST_MAIN(ProjectDialogTest)
#include "ProjectDialogTest.moc"
