#include <QSignalSpy>
#include <QtTest>

#include "toolkit/NavigationBar.h"

using tidewell::app::NavigationBar;
using tidewell::app::NavigationPosition;

namespace {

// Setup: 113, 111, 110, 115; Release: 112, 116 (a command item).
void Fill(NavigationBar& bar) {
  bar.SetIconSize(36);
  const int setup = bar.AddGroup(QStringLiteral("Setup"));
  for (int data : {113, 111, 110, 115}) bar.AddItem(setup, QString::number(data), {}, data);
  const int release = bar.AddGroup(QStringLiteral("Release"));
  bar.AddItem(release, QStringLiteral("Build"), {}, 112);
  bar.AddItem(release, QStringLiteral("About"), {}, 116, false);
}

}  // namespace

Q_DECLARE_METATYPE(NavigationPosition)

class NavigationBarTest : public QObject {
  Q_OBJECT

 private slots:
  void ChoosingAsksTheGuard_data() {
    QTest::addColumn<NavigationPosition>("chosen");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<NavigationPosition>("selectedAfter");
    QTest::addColumn<QList<int>>("signalled");
    QTest::newRow("allowed") << NavigationPosition{0, 2} << true << NavigationPosition{0, 2}
                             << QList<int>{110};
    QTest::newRow("refused") << NavigationPosition{0, 2} << false << NavigationPosition{1, 0}
                             << QList<int>{};
    QTest::newRow("command item keeps the selection")
        << NavigationPosition{1, 1} << false << NavigationPosition{1, 0} << QList<int>{116};
    QTest::newRow("the selected item again") << NavigationPosition{1, 0} << true
                                             << NavigationPosition{1, 0} << QList<int>{};
    QTest::newRow("no such item") << NavigationPosition{2, 0} << true << NavigationPosition{1, 0}
                                  << QList<int>{};
  }
  void ChoosingAsksTheGuard() {
    QFETCH(NavigationPosition, chosen);
    QFETCH(bool, allowed);
    QFETCH(NavigationPosition, selectedAfter);
    QFETCH(QList<int>, signalled);
    NavigationBar bar;
    Fill(bar);
    QVERIFY(bar.Select({1, 0}));
    QList<std::pair<NavigationPosition, NavigationPosition>> asked;
    bar.SetGuard([&](NavigationPosition from, NavigationPosition to) {
      asked.append({from, to});
      return allowed;
    });
    QSignalSpy spy(&bar, &NavigationBar::itemChosen);
    bar.Choose(chosen);
    QCOMPARE(bar.Selected(), selectedAfter);
    QList<int> data;
    for (const auto& arguments : spy) data << arguments.at(0).toInt();
    QCOMPARE(data, signalled);
  }

  void ClickOnAnItemRectangleChoosesIt() {
    NavigationBar bar;
    Fill(bar);
    bar.resize(bar.sizeHint());
    bar.show();
    QSignalSpy spy(&bar, &NavigationBar::itemChosen);
    for (int item = 0; item < 4; ++item) {
      const QRect rect = bar.ItemRect({0, item});
      QVERIFY(rect.height() >= 36);
      QTest::mouseClick(&bar, Qt::LeftButton, {}, rect.center());
      QCOMPARE(bar.Selected(), (NavigationPosition{0, item}));
    }
    QCOMPARE(spy.count(), 4);
    QCOMPARE(bar.ItemAt(bar.ItemRect({1, 1}).center()), (NavigationPosition{1, 1}));
  }

  void SelectRefusesCommandsAndUnknownItems() {
    NavigationBar bar;
    Fill(bar);
    QVERIFY(bar.Select({0, 3}));
    QVERIFY(!bar.Select({1, 1}));
    QVERIFY(!bar.Select({0, 4}));
    QVERIFY(!bar.Select({-1, 0}));
    QCOMPARE(bar.SelectedData(), 115);
    QCOMPARE(bar.Find(112), (NavigationPosition{1, 0}));
    QVERIFY(!bar.Find(999).IsValid());
  }

  void KeyboardMovesAndChooses() {
    NavigationBar bar;
    Fill(bar);
    bar.Select({0, 3});
    bar.show();
    QTest::keyClick(&bar, Qt::Key_Down);
    QTest::keyClick(&bar, Qt::Key_Return);
    QCOMPARE(bar.SelectedData(), 112);
    QTest::keyClick(&bar, Qt::Key_Down);
    QTest::keyClick(&bar, Qt::Key_Down);  // stays on the last item
    QSignalSpy spy(&bar, &NavigationBar::itemChosen);
    QTest::keyClick(&bar, Qt::Key_Space);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 116);
    QCOMPARE(bar.SelectedData(), 112);
  }
};

QTEST_MAIN(NavigationBarTest)
#include "NavigationBarTest.moc"
