#include <QClipboard>
#include <QComboBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "ClientTestServices.h"
#include "build/ClientPicture.h"
#include "text/Text.h"
#include "dialogs/UserTextDialog.h"
#include "dialogs/VariablesButton.h"
#include "pages/behaviours/ClientBehavioursPageWidget.h"
#include "pages/client/ClientPageWidget.h"
#include "pages/release/ReleasePageWidget.h"
#include "pages/release/ReleasePanesView.h"

using namespace tidewell;
using namespace tidewell::app;
using tidewell::testing::ClientTestServices;
using tidewell::testing::ProjectText;
using tidewell::testing::WhenModalOpens;

namespace {

QString Q(const WString& text) { return ToQString(text); }

}  // namespace

class ClientPagesTest : public QObject {
  Q_OBJECT

 private slots:
  void ClientPageShowsAndStoresEveryField() {
    struct Case {
      SettingKey key;
      WString value;
      int field;  // position among the page's five fields
    };
    const WString longText(40000, u'x');
    const Case cases[] = {
        {SettingKey::HTTPLocationXML, u"http://srv/u.asp?ed=%Variable2%&user=%Login%", 0},
        {SettingKey::HTTPLocationFiles, u"", 1},
        {SettingKey::CompanyName, longText, 2},
        {SettingKey::AppTitle, u"Title \u00e9\u4e2d & <x>", 3},
        {SettingKey::Executable, u"Main.exe", 4},
    };
    ClientTestServices t;
    ProjectDocument document;
    ClientPageWidget page(t.services, nullptr);
    page.BindDocument(document);
    QLineEdit* fields[] = {page.RequestXmlField(), page.FilesLocationField(),
                           page.CompanyNameField(), page.AppTitleField(), page.ExecutableField()};
    for (const Case& c : cases) document.settings.SetSetting(c.key, c.value);
    page.LoadFromSettings();
    for (const Case& c : cases) QCOMPARE(fields[c.field]->text(), Q(c.value));
    // Edited fields reach the settings, the typed text unchanged.
    for (const Case& c : cases) fields[c.field]->setText(Q(c.value + u"!"));
    QVERIFY(!page.ValidateAndStore(true));
    for (const Case& c : cases) QCOMPARE(Q(document.settings.GetSetting(c.key)), Q(c.value + u"!"));
    QCOMPARE(t.prompt.Events().size(), size_t{0});
  }

  void VariableMenuInsertsTheReferenceThroughTheClipboard() {
    ClientTestServices t;
    ProjectDocument document;
    document.variables.AddVariable(u"", u"HKEY_CURRENT_USER\\Software\\A\\B", u"REG_SZ");
    ClientPageWidget page(t.services, &t.window);
    page.BindDocument(document);
    page.LoadFromSettings();
    t.window.show();
    QLineEdit* field = page.RequestXmlField();
    field->setText(QStringLiteral("abcdef"));
    field->setSelection(1, 2);  // "bc" is replaced
    // Down on the button opens the menu of the names, in list order.
    QStringList names;
    QMenu* menu = page.Variables()->Menu();
    // Acted on once it shows: a busy machine may open it later than any
    // fixed wait, and a menu closed before it opens would stay open.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, menu, [&] {
      if (!menu->isVisible()) return;
      poll.stop();
      for (QAction* action : menu->actions()) names << action->text();
      menu->actions().at(2)->trigger();  // Variable2
      menu->close();
    });
    poll.start();
    page.Variables()->setFocus();
    QTest::keyClick(page.Variables(), Qt::Key_Down);
    QCOMPARE(names, (QStringList{"Login", "Platform", "Variable2"}));
    QCOMPARE(field->text(), QStringLiteral("a%Variable2%def"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("%Variable2%"));
    // The main part shows the variables dialog.
    page.Variables()->click();
    QCOMPARE(t.variablesShown, 1);
  }

  void MainExecutableIsStoredAtOnceThenTheIconQuestion() {
#ifdef Q_OS_WIN
    const QString chosen = QStringLiteral("C:\\App\\bin\\Main.exe");
#else
    const QString chosen = QStringLiteral("/opt/App/bin/Main.exe");
#endif
    for (const Answer answer : {Answer::No, Answer::Yes}) {
      ClientTestServices t;
      ProjectDocument document;
      ClientPageWidget page(t.services, nullptr);
      page.BindDocument(document);
      page.LoadFromSettings();
      t.prompt.QueueAnswer(answer);
      page.ChooseMainExecutable(chosen);
      QCOMPARE(Q(document.settings.GetSetting(SettingKey::Executable)), QStringLiteral("Main.exe"));
      QCOMPARE(page.ExecutableField()->text(), QStringLiteral("Main.exe"));
      const auto questions = t.prompt.Of(testing::PromptEvent::Kind::Question);
      QCOMPARE(questions.size(), size_t{1});
      QCOMPARE(Q(questions[0].caption), QStringLiteral("Automatic icon setting"));
      QCOMPARE(Q(questions[0].text),
               QStringLiteral("Do you want to set the icons of the Tidewell client to be the same "
                              "as the icons of Main.exe?"));
      const std::vector<WString> expected =
          answer == Answer::Yes ? std::vector<WString>{ToWString(chosen)}
                                : std::vector<WString>{};
      QCOMPARE(t.iconRequests, expected);
      // The stored name is collected again, not the one shown before.
      QVERIFY(!page.ValidateAndStore(false));
      QCOMPARE(Q(document.settings.GetSetting(SettingKey::Executable)), QStringLiteral("Main.exe"));
    }
  }

  void BehavioursLoadRules() {
    struct Case {
      const char* what;
      WString updateType, frequency, reprompt, mask;
      int shownType;  // with "Critical" shown before
      int shownFrequency, shownReprompt;
      WString storedType, storedFrequency, storedReprompt;
    };
    const Case cases[] = {
        {"new project", u"Normal", u"0", u"0", u"32", 0, 0, 0, u"Normal", u"0", u"0"},
        {"type without regard to case", u"silent", u"4", u"1", u"32", 1, 4, 1, u"Silent", u"4", u"1"},
        {"unknown type keeps the choice", u"Urgent", u"2", u"0", u"32", 2, 2, 0, u"Critical", u"2", u"0"},
        {"empty type keeps the choice", u"", u"0", u"0", u"32", 2, 0, 0, u"Critical", u"0", u"0"},
        {"positions outside the lists", u"Normal", u"7", u"-3", u"32", 0, -1, -1, u"Normal", u"-1", u"-1"},
        {"text for a position", u"Normal", u"x", u"2", u"32", 0, 0, -1, u"Normal", u"0", u"-1"},
    };
    for (const Case& c : cases) {
      ClientTestServices t;
      ClientBehavioursPageWidget page(t.services, nullptr);
      ProjectDocument previous;
      previous.settings.SetSetting(SettingKey::UpdateType, u"Critical");
      page.BindDocument(previous);
      page.LoadFromSettings();
      // A new document (New, Open) with the case's values.
      ProjectDocument document;
      document.settings.SetSetting(SettingKey::UpdateType, c.updateType);
      document.settings.SetSetting(SettingKey::Frequency, c.frequency);
      document.settings.SetSetting(SettingKey::Reprompt, c.reprompt);
      document.settings.SetFlagsFromMask(c.mask);
      page.BindDocument(document);
      page.LoadFromSettings();
      QVERIFY2(page.UpdateTypeList()->currentIndex() == c.shownType, c.what);
      QVERIFY2(page.FrequencyList()->currentIndex() == c.shownFrequency, c.what);
      QVERIFY2(page.RepromptList()->currentIndex() == c.shownReprompt, c.what);
      page.ValidateAndStore(false);
      QCOMPARE(Q(document.settings.GetSetting(SettingKey::UpdateType)), Q(c.storedType));
      QCOMPARE(Q(document.settings.GetSetting(SettingKey::Frequency)), Q(c.storedFrequency));
      QCOMPARE(Q(document.settings.GetSetting(SettingKey::Reprompt)), Q(c.storedReprompt));
    }
  }

  void BehaviourFlagsAndRowsFollowTheirBits() {
    // Row check boxes from bits 5, 3, 2, 0, 1, 4; switches from 6, 7, 8.
    struct Case {
      int bit;
      int row;       // -1: a switch
      int switchNo;  // 0 warn on exit, 1 errors, 2 restart
    };
    const Case cases[] = {{5, 0, -1}, {3, 1, -1}, {2, 2, -1}, {0, 3, -1}, {1, 4, -1},
                          {4, 5, -1}, {6, -1, 0}, {7, -1, 1}, {8, -1, 2}};
    for (const Case& c : cases) {
      ClientTestServices t;
      ProjectDocument document;
      document.settings.SetFlagsFromMask(text::FormatDecimal(int64_t{1} << c.bit));
      ClientBehavioursPageWidget page(t.services, nullptr);
      page.BindDocument(document);
      page.LoadFromSettings();
      QCheckBox* switches[] = {page.WarnOnExitBox(), page.AllowErrorsBox(),
                               page.AutomaticRestartBox()};
      for (int row = 0; row < 6; ++row)
        QCOMPARE(page.MessageList()->topLevelItem(row)->checkState(0) == Qt::Checked,
                 row == c.row);
      for (int s = 0; s < 3; ++s) QCOMPARE(switches[s]->isChecked(), s == c.switchNo);
      // Turned over in the widgets, stored back bit by bit.
      for (int row = 0; row < 6; ++row) {
        QTreeWidgetItem* item = page.MessageList()->topLevelItem(row);
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
      }
      for (QCheckBox* box : switches) box->toggle();
      page.ValidateAndStore(false);
      QCOMPARE(Q(document.settings.FlagMask()), Q(text::FormatDecimal(511 - (1 << c.bit))));
    }
  }

  void EditWithoutARowShowsTheBalloonAtTheList() {
    ClientTestServices t;
    ProjectDocument document;
    ClientBehavioursPageWidget page(t.services, nullptr);
    page.BindDocument(document);
    page.LoadFromSettings();
    page.EditButton()->click();
    QCOMPARE(t.Balloons(), (std::vector<std::pair<FieldId, WString>>{
                               {kMessageListField, u"Double click on item to change the message text."}}));
  }

  void UserTextCountsLineBreaksAsTwoCharacters() {
    struct Case {
      int letters;  // before one line break
      bool stored;
    };
    // CR LF counts two: 1022 + 2 = 1024 is stored, 1023 + 2 = 1025 is not.
    const Case cases[] = {{1022, true}, {1023, false}};
    for (const Case& c : cases) {
      ClientTestServices t;
      ProjectDocument document;
      ClientBehavioursPageWidget page(t.services, nullptr);
      page.BindDocument(document);
      page.LoadFromSettings();
      page.MessageList()->setCurrentItem(page.MessageList()->topLevelItem(1));
      const WString before = document.settings.GetSetting(SettingKey::Reason);
      bool stayedOpen = false;
      QString title, promptText;
      WhenModalOpens<UserTextDialog>([&](UserTextDialog* dialog) {
        title = dialog->windowTitle();
        dialog->TextBox()->setPlainText(QString(c.letters, QLatin1Char('a')) + QLatin1Char('\n'));
        dialog->accept();
        stayedOpen = dialog->isVisible();
        if (stayedOpen) dialog->reject();
      });
      page.EditMessageText();
      QCOMPARE(title, QStringLiteral("Reason for Update"));
      QCOMPARE(stayedOpen, !c.stored);
      const WString expected = c.stored ? WString(static_cast<size_t>(c.letters), u'a') + u"\r\n" : before;
      QCOMPARE(Q(document.settings.GetSetting(SettingKey::Reason)), Q(expected));
      // Editing leaves the row's check box alone.
      QCOMPARE(page.MessageList()->topLevelItem(1)->checkState(0), Qt::Unchecked);
    }
  }

  void GraphicsNeedAProject() {
    ClientTestServices t;
    ProjectDocument document;
    ClientBehavioursPageWidget page(t.services, nullptr);
    page.BindDocument(document);
    page.LoadFromSettings();
    page.MainButton()->click();
    page.TopButton()->click();
    page.IconButton()->click();
    const WString text = u"No project exists. Create a new project or save the existing file first.";
    QCOMPARE(t.Balloons(), (std::vector<std::pair<FieldId, WString>>{
                               {kMainPictureButtonField, text},
                               {kTopPictureButtonField, text},
                               {kIconButtonField, text}}));
  }

  void EveryFieldRoundTrips() {
    ClientTestServices t;
    ProjectDocument document;
    ProjectSettings& s = document.settings;
    s.SetSetting(SettingKey::ProjName, u"Round");
    s.SetSetting(SettingKey::HTTPLocationXML, u"http://h/x.asp?a=%Variable2%");
    s.SetSetting(SettingKey::HTTPLocationFiles, u"http://h/files");
    s.SetSetting(SettingKey::CompanyName, u"Co & \"Sons\"");
    s.SetSetting(SettingKey::AppTitle, u"two\nlines\r\nin one field");
    s.SetSetting(SettingKey::Executable, u"A b.exe");
    s.SetSetting(SettingKey::UpdateType, u"Critical");
    s.SetSetting(SettingKey::Frequency, u"3");
    s.SetSetting(SettingKey::Reprompt, u"1");
    s.SetSetting(SettingKey::AppVersion, u"1.10");
    s.SetSetting(SettingKey::UpdateVersion, u"2.5b");
    s.SetSetting(SettingKey::ClientExe, u"Up.exe");
    s.SetSetting(SettingKey::CheckNow, u"Now");
    s.SetSetting(SettingKey::ClientXML, u"u.xml");
    s.SetSetting(SettingKey::Notes, u"line one\r\n\r\nline three\nbare break\r");
    s.SetFlagsFromMask(u"469");
    document.variables.AddVariable(u"", u"HKEY_USERS\\S\\V", u"REG_DWORD");
    const WString before = ProjectText(document);

    ClientPageWidget client(t.services, nullptr);
    ClientBehavioursPageWidget behaviours(t.services, nullptr);
    ReleasePageWidget release(t.services, nullptr);
    std::vector<Page*> pages{&release, &client, &behaviours};
    for (Page* page : pages) {
      page->BindDocument(document);
      page->LoadFromSettings();
    }
    for (int round = 0; round < 2; ++round) {
      for (Page* page : pages) QVERIFY(!page->ValidateAndStore(false));
      const WString after = ProjectText(document);
      QCOMPARE(testing::AroundFirstDifference(after, before),
               testing::AroundFirstDifference(before, after));
      for (Page* page : pages) page->LoadFromSettings();
    }
    // The notes box is the Notes setting.
    release.Summary()->Notes()->setPlainText(QStringLiteral("new\nnotes"));
    release.ValidateAndStore(false);
    QCOMPARE(Q(s.GetSetting(SettingKey::Notes)), QStringLiteral("new\r\nnotes"));
    QCOMPARE(t.prompt.Events().size(), size_t{0});
  }
};

QTEST_MAIN(ClientPagesTest)
#include "ClientPagesTest.moc"
