#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "shell/QtPrompt.h"
#include "shell/QtText.h"
#include "toolkit/Balloon.h"
#include "toolkit/FieldRegistry.h"

using namespace tidewell;
using tidewell::app::BalloonManager;
using tidewell::app::FieldRegistry;
using tidewell::app::QtPrompt;

namespace {

struct SeenBox {
  QWidget* owner = nullptr;
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  Qt::CursorShape cursor = Qt::BitmapCursor;
  bool cursorSet = false;
  QString detail;
  Qt::TextFormat detailFormat = Qt::AutoText;
  QStringList buttonTexts;  // Yes, No, in that order, where shown
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Waits for the next message box, records it and presses `press`.
void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton press) {
  QTimer::singleShot(0, [&seen, press] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen.owner = box->parentWidget();
    seen.caption = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    seen.cursorSet = QApplication::overrideCursor() != nullptr;
    if (seen.cursorSet) seen.cursor = QApplication::overrideCursor()->shape();
    seen.detail = box->informativeText();
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
      seen.detailFormat = label->textFormat();
    for (auto button : {QMessageBox::Yes, QMessageBox::No})
      if (box->button(button)) seen.buttonTexts << box->button(button)->text();
    if (box->defaultButton()) seen.defaultButton = box->standardButton(box->defaultButton());
    box->button(press)->click();
  });
}

// A prompt with its own field registry and balloons.
struct PromptRig {
  FieldRegistry fields;
  BalloonManager balloons;
  QtPrompt prompt{fields, balloons};
};

}  // namespace

Q_DECLARE_METATYPE(Buttons)
Q_DECLARE_METATYPE(MessageIcon)
Q_DECLARE_METATYPE(Answer)

class QtPromptTest : public QObject {
  Q_OBJECT

 private slots:
  void QuestionsShowWhatTheCoreAsks_data() {
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("shownButtons");
    QTest::addColumn<int>("shownIcon");
    QTest::addColumn<Answer>("answer");
    QTest::newRow("yes/no/cancel, cancel")
        << Buttons::YesNoCancel << MessageIcon::Exclamation << int(QMessageBox::Cancel)
        << int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
        << int(QMessageBox::Warning) << Answer::Cancel;
    QTest::newRow("yes/no, no") << Buttons::YesNo << MessageIcon::Question << int(QMessageBox::No)
                                << int(QMessageBox::Yes | QMessageBox::No)
                                << int(QMessageBox::Question) << Answer::No;
    QTest::newRow("yes/no, yes") << Buttons::YesNo << MessageIcon::Exclamation
                                 << int(QMessageBox::Yes) << int(QMessageBox::Yes | QMessageBox::No)
                                 << int(QMessageBox::Warning) << Answer::Yes;
    QTest::newRow("ok, error") << Buttons::Ok << MessageIcon::Error << int(QMessageBox::Ok)
                               << int(QMessageBox::Ok) << int(QMessageBox::Critical) << Answer::Ok;
    QTest::newRow("ok/cancel, information")
        << Buttons::OkCancel << MessageIcon::Information << int(QMessageBox::Cancel)
        << int(QMessageBox::Ok | QMessageBox::Cancel) << int(QMessageBox::Information)
        << Answer::Cancel;
  }
  void QuestionsShowWhatTheCoreAsks() {
    QFETCH(Buttons, buttons);
    QFETCH(MessageIcon, icon);
    QFETCH(int, press);
    QFETCH(int, shownButtons);
    QFETCH(int, shownIcon);
    QFETCH(Answer, answer);
    PromptRig rig;
    auto& [fields, balloons, prompt] = rig;
    QMainWindow window;
    window.show();
    prompt.SetMainWindow(&window);
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::StandardButton(press));
    QCOMPARE(prompt.Ask(u"Save Project", u"Do you want to save changes to 'x'?", buttons, icon),
             answer);
    QCOMPARE(seen.owner, &window);
    QCOMPARE(seen.caption, QStringLiteral("Save Project"));
    QCOMPARE(seen.text, QStringLiteral("Do you want to save changes to 'x'?"));
    QCOMPARE(int(seen.buttons), shownButtons);
    QCOMPARE(int(seen.icon), shownIcon);
  }

  void TheChangedFileQuestionNamesItsAnswersAndCancelsByDefault() {
    PromptRig rig;
    QMainWindow window;
    window.show();
    rig.prompt.SetMainWindow(&window);
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::No);
    QCOMPARE(rig.prompt.Ask(u"Project changed on disk", u"Reload?",
                            Buttons::ReloadOverwriteCancel, MessageIcon::Exclamation),
             Answer::No);
    QCOMPARE(int(seen.buttons), int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel));
    QCOMPARE(seen.buttonTexts, (QStringList{"&Reload", "&Overwrite"}));
    QCOMPARE(seen.defaultButton, QMessageBox::Cancel);
  }

  void ADetailLineShowsUnderTheTextAsItIs() {
    PromptRig rig;
    QMainWindow window;
    window.show();
    rig.prompt.SetMainWindow(&window);
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::Ok);
    rig.prompt.ShowDetailedMessage(u"Error", u"Errors occured while trying to load configuration.",
                                   u"/p/<b>x</b>.xml: the file is empty", MessageIcon::Error);
    QCOMPARE(seen.text, QStringLiteral("Errors occured while trying to load configuration."));
    QCOMPARE(seen.detail, QStringLiteral("/p/<b>x</b>.xml: the file is empty"));
    QCOMPARE(seen.detailFormat, Qt::PlainText);
    QCOMPARE(int(seen.icon), int(QMessageBox::Critical));
  }

  void AModalDialogOwnsTheBoxAndTheWaitCursorIsLifted() {
    PromptRig rig;
    auto& [fields, balloons, prompt] = rig;
    QMainWindow window;
    window.show();
    prompt.SetMainWindow(&window);
    QDialog dialog(&window);
    SeenBox seen;
    QTimer::singleShot(0, [&] {
      prompt.SetBusy(true);
      prompt.SetBusy(true);
      AnswerNextBox(seen, QMessageBox::Ok);
      prompt.ShowMessage(u"Error", u"Errors occured while trying to load configuration.",
                         MessageIcon::Error);
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
      prompt.SetBusy(false);
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
      prompt.SetBusy(false);
      prompt.SetBusy(false);  // one release too many changes nothing
      dialog.accept();
    });
    dialog.exec();
    QCOMPARE(seen.owner, &dialog);
    QVERIFY(seen.cursorSet);
    QCOMPARE(seen.cursor, Qt::ArrowCursor);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(prompt.BusyDepth(), 0);
  }

  void StatusTextShowsReadyWhenEmpty_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty") << "" << "Ready";
    QTest::newRow("text") << "Please wait... loading" << "Please wait... loading";
  }
  void StatusTextShowsReadyWhenEmpty() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    PromptRig rig;
    auto& [fields, balloons, prompt] = rig;
    QLabel status(QStringLiteral("before"));
    prompt.SetStatusLabel(&status);
    prompt.SetStatusText(app::ToWString(text));
    QCOMPARE(status.text(), shown);
  }

  void BalloonsPointAtTheRegisteredField() {
    PromptRig rig;
    auto& [fields, balloons, prompt] = rig;
    QWidget window;
    window.setGeometry(50, 50, 400, 300);
    auto* edit = new QLineEdit(&window);
    edit->setGeometry(100, 100, 120, 24);
    auto* hidden = new QWidget(&window);
    auto* hiddenEdit = new QLineEdit(hidden);
    hidden->hide();
    window.show();
    prompt.SetMainWindow(&window);
    fields.Register("dialog.edit", edit);
    fields.Register("dialog.hidden", hiddenEdit);

    const struct {
      FieldId field;
      QWidget* anchor;
    } cases[] = {{"dialog.edit", edit},
                 {"dialog.hidden", &window},  // nearest visible ancestor
                 {"dialog.unknown", &window}};
    for (const auto& c : cases) {
      prompt.ShowBalloon(c.field, kInvalidParametersCaption, u"text", MessageIcon::Error);
      const auto shown = balloons.Visible();
      QCOMPARE(shown.size(), size_t(1));
      const QPoint tip = c.anchor->mapToGlobal(c.anchor->rect().center());
      const QRect frame = shown.front()->geometry();
      QCOMPARE(shown.front()->ArrowPointsUp() ? frame.top() : frame.bottom() + 1, tip.y());
      QCOMPARE(shown.front()->Caption(), QStringLiteral("Invalid parameters"));
      // The refused field takes the focus; a stand-in anchor does not.
      QCOMPARE(window.focusWidget() == edit, c.anchor == edit);
      edit->clearFocus();
    }
  }

  void TheIconListBalloonsShowTogether() {
    PromptRig rig;
    auto& [fields, balloons, prompt] = rig;
    QWidget window;
    window.show();
    fields.Register("iconSelection.largeList", &window);
    fields.Register("iconSelection.smallList", &window);
    prompt.ShowBalloon("iconSelection.largeList", kInvalidParametersCaption, u"a",
                       MessageIcon::Error);
    prompt.ShowBalloon("iconSelection.smallList", kInvalidParametersCaption, u"b",
                       MessageIcon::Error);
    QCOMPARE(balloons.Visible().size(), size_t(2));
  }
};

QTEST_MAIN(QtPromptTest)
#include "QtPromptTest.moc"
