#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

#include "toolkit/Balloon.h"
#include "toolkit/HelpKey.h"
#include "toolkit/HoverHelp.h"

using tidewell::app::Balloon;
using tidewell::app::BalloonManager;
using tidewell::app::HoverHelp;
using tidewell::app::SetHelpKey;

class HoverHelpTest : public QObject {
  Q_OBJECT

 private slots:
  void RestingShowsTheCarriersText_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("shownText");
    QTest::newRow("labelled control") << "name" << "Help for the name.";
    QTest::newRow("child of a group with a key") << "inner" << "Help for the group.";
    QTest::newRow("key without text") << "silent" << "";
    QTest::newRow("no key") << "plain" << "";
  }
  void RestingShowsTheCarriersText() {
    QFETCH(QString, target);
    QFETCH(QString, shownText);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* name = new QLabel(QStringLiteral("Name:"));
    SetHelpKey(name, "test.name");
    auto* group = new QWidget;
    SetHelpKey(group, "test.group");
    auto* inner = new QLineEdit;
    (new QVBoxLayout(group))->addWidget(inner);
    auto* silent = new QLabel(QStringLiteral("Silent"));
    SetHelpKey(silent, "test.silent");
    auto* plain = new QLabel(QStringLiteral("Plain"));
    for (QWidget* w : {static_cast<QWidget*>(name), group, static_cast<QWidget*>(silent),
                       static_cast<QWidget*>(plain)})
      layout->addWidget(w);
    name->setObjectName("name");
    inner->setObjectName("inner");
    silent->setObjectName("silent");
    plain->setObjectName("plain");
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    BalloonManager balloons;
    HoverHelp help(
        balloons,
        [](std::string_view key) {
          if (key == "test.name") return QStringLiteral("Help for the name.");
          if (key == "test.group") return QStringLiteral("Help for the group.");
          return QString();
        },
        200);
    auto* widget = window.findChild<QWidget*>(target);
    QTest::mouseMove(widget, widget->rect().center());
    QTest::qWait(100);
    QVERIFY(balloons.Visible().empty());  // not yet rested long enough
    QTest::qWait(300);
    const auto shown = balloons.Visible();
    if (shownText.isEmpty()) {
      QVERIFY(shown.empty());
      return;
    }
    QCOMPARE(shown.size(), size_t(1));
    QCOMPARE(shown.front()->Text(), shownText);
    QCOMPARE(shown.front()->Caption(), QStringLiteral("Tidewell information"));
  }

  void PressingStopsTheRest() {
    QLabel label(QStringLiteral("Name:"));
    SetHelpKey(&label, "test.name");
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    BalloonManager balloons;
    HoverHelp help(balloons, [](std::string_view) { return QStringLiteral("text"); }, 200);
    QTest::mouseMove(&label, label.rect().center());
    QTest::mousePress(&label, Qt::LeftButton, {}, label.rect().center());
    QTest::qWait(350);
    QVERIFY(balloons.Visible().empty());
    QTest::mouseRelease(&label, Qt::LeftButton, {}, label.rect().center());
  }

  // The balloon never stays over another page or over a modal dialog.
  void BalloonClosesWhenItsPageGoesOrAModalDialogOpens() {
    enum class Then { LeavePage, OpenModal };
    for (Then then : {Then::LeavePage, Then::OpenModal}) {
      QWidget window;
      auto* page = new QWidget(&window);
      auto* label = new QLabel(QStringLiteral("Name:"));
      SetHelpKey(label, "test.name");
      (new QVBoxLayout(page))->addWidget(label);  // the page gives the label its room
      (new QVBoxLayout(&window))->addWidget(page);
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      BalloonManager balloons;
      HoverHelp help(balloons, [](std::string_view) { return QStringLiteral("text"); }, 50);
      QTest::mouseMove(&window, QPoint(1, 1));  // the pointer comes in anew each round
      QTest::mouseMove(label, label->rect().center());
      QTRY_COMPARE(balloons.Visible().size(), size_t(1));

      QDialog dialog(&window);
      if (then == Then::LeavePage) {
        page->hide();
      } else {
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
      }
      QTRY_VERIFY(balloons.Visible().empty());
      QTest::qWait(150);  // and it does not come back
      QVERIFY(balloons.Visible().empty());
    }
  }
};

QTEST_MAIN(HoverHelpTest)
#include "HoverHelpTest.moc"
