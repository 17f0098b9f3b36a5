#include <QAccessible>
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

  // A screen reader sees a list of the items in display order, and drives
  // it: "press" chooses an item as a click does, the guard included.
  void ScreenReadersSeeAndDriveTheItems() {
    NavigationBar bar;
    Fill(bar);
    bar.Select({0, 1});
    bar.show();
    bool allowed = true;
    bar.SetGuard([&](NavigationPosition, NavigationPosition) { return allowed; });
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&bar);
    QVERIFY(list);
    QCOMPARE(list->role(), QAccessible::List);
    QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Setup, Release"));
    QCOMPARE(list->childCount(), 6);

    struct Item {
      NavigationPosition position;
      const char* name;
      const char* group;
      bool selectable;
      bool selected;
    };
    const Item items[] = {{{0, 0}, "113", "Setup", true, false},
                          {{0, 1}, "111", "Setup", true, true},
                          {{0, 2}, "110", "Setup", true, false},
                          {{0, 3}, "115", "Setup", true, false},
                          {{1, 0}, "Build", "Release", true, false},
                          {{1, 1}, "About", "Release", false, false}};
    for (int i = 0; i < 6; ++i) {
      QAccessibleInterface* item = list->child(i);
      QVERIFY(item);
      QCOMPARE(item->role(), QAccessible::ListItem);
      QCOMPARE(item->text(QAccessible::Name), QString::fromLatin1(items[i].name));
      QCOMPARE(item->text(QAccessible::Description), QString::fromLatin1(items[i].group));
      QCOMPARE(bool(item->state().selectable), items[i].selectable);
      QCOMPARE(bool(item->state().selected), items[i].selected);
      QCOMPARE(item->parent(), list);
      QCOMPARE(list->indexOfChild(item), i);
      QCOMPARE(list->child(i), item);  // one identity per item
      QCOMPARE(item->rect(), QRect(bar.mapToGlobal(bar.ItemRect(items[i].position).topLeft()),
                                   bar.ItemRect(items[i].position).size()));
      QCOMPARE(list->childAt(item->rect().center().x(), item->rect().center().y()), item);
    }

    QSignalSpy spy(&bar, &NavigationBar::itemChosen);
    QAccessibleActionInterface* press = list->child(4)->actionInterface();
    QVERIFY(press);
    allowed = false;
    press->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(bar.SelectedData(), 111);
    allowed = true;
    press->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(bar.SelectedData(), 112);
    QVERIFY(list->child(4)->state().selected);
    QVERIFY(!list->child(1)->state().selected);
    QCOMPARE(spy.count(), 1);
  }
};

QTEST_MAIN(NavigationBarTest)
#include "NavigationBarTest.moc"
