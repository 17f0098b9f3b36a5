#include <QLineEdit>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtTest>

#include "project/ProjectDocument.h"
#include "shell/DeferredPage.h"

using namespace tidewell;
using namespace tidewell::app;

namespace {

// A page with one field that records its exchanges with the settings.
class FieldPage final : public Page {
 public:
  FieldPage(QStringList& log, bool refuses, QWidget* parent)
      : Page(parent), log_(log), refuses_(refuses) {
    log_ << "made";
    auto* column = new QVBoxLayout(this);
    field = new QLineEdit(this);
    column->addWidget(field);
  }
  void BindDocument(ProjectDocument&) override { log_ << "bind"; }
  void LoadFromSettings() override { log_ << "load"; }
  bool ValidateAndStore(bool) override {
    log_ << "store";
    return refuses_;
  }
  bool HandleCommand(int command) override {
    log_ << QString("command %1").arg(command);
    return true;
  }
  QLineEdit* field = nullptr;

 private:
  QStringList& log_;
  bool refuses_;
};

}  // namespace

class DeferredPageTest : public QObject {
  Q_OBJECT

 private slots:
  // What the page area asks of the stand-in, and what reaches the page.
  void ExchangesReachThePageOnceItIsMade_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("bound and loaded, then shown") << QStringList{"bind", "load", "show"}
                                                  << QStringList{"made", "bind", "load"};
    QTest::newRow("shown, then bound and loaded")
        << QStringList{"show", "bind", "load"} << QStringList{"made", "bind", "load"};
    QTest::newRow("stored before it was ever shown")
        << QStringList{"bind", "load", "store"} << QStringList{"made", "bind", "load", "store"};
    QTest::newRow("stored before the settings were loaded")
        << QStringList{"bind", "store", "load"} << QStringList{"made", "bind", "store", "load"};
    QTest::newRow("a command") << QStringList{"bind", "command"}
                               << QStringList{"made", "bind", "command 7"};
    QTest::newRow("never needed") << QStringList{"bind", "load", "load"} << QStringList{};
  }
  void ExchangesReachThePageOnceItIsMade() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    QStringList log;
    ProjectDocument document;
    QWidget window;
    auto* stand = new DeferredPage([&log](QWidget* parent) { return new FieldPage(log, false, parent); },
                                   &window);
    stand->hide();
    window.show();
    for (const QString& step : steps) {
      if (step == "bind") stand->BindDocument(document);
      if (step == "load") stand->LoadFromSettings();
      if (step == "store") QCOMPARE(stand->ValidateAndStore(false), false);
      if (step == "command") QVERIFY(stand->HandleCommand(7));
      if (step == "show") stand->show();
    }
    QCOMPARE(log, expected);
    QCOMPARE(stand->Made() != nullptr, !expected.isEmpty());
  }

  void ARefusalOfThePageIsAnswered() {
    QStringList log;
    DeferredPage stand([&log](QWidget* parent) { return new FieldPage(log, true, parent); });
    QCOMPARE(stand.ValidateAndStore(true), true);
  }

  // The page area gives the focus to the first field of the page it shows:
  // before the window is on screen, and when it switches pages later.
  void TheFocusGoesToTheFirstFieldOfThePageMade_data() {
    QTest::addColumn<bool>("switchedOnScreen");
    QTest::newRow("shown with the window") << false;
    QTest::newRow("switched to on screen") << true;
  }
  void TheFocusGoesToTheFirstFieldOfThePageMade() {
    QFETCH(bool, switchedOnScreen);
    QStringList log;
    QStackedWidget area;
    const auto make = [&log](QWidget* parent) { return new FieldPage(log, false, parent); };
    auto* first = new DeferredPage(make, &area);
    auto* second = new DeferredPage(make, &area);
    area.addWidget(first);
    area.addWidget(second);
    if (switchedOnScreen) {
      area.show();
      QVERIFY(QTest::qWaitForWindowExposed(&area));
    }
    area.setCurrentWidget(second);
    FocusFirstControl(second);
    if (!switchedOnScreen) {
      area.show();
      QVERIFY(QTest::qWaitForWindowExposed(&area));
    }
    auto* page = static_cast<FieldPage*>(second->Made());
    QVERIFY(page);
    QVERIFY(page->isVisible());
    QCOMPARE(area.focusWidget(), page->field);
  }
};

QTEST_MAIN(DeferredPageTest)
#include "DeferredPageTest.moc"
