#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include "toolkit/Balloon.h"

using tidewell::MessageIcon;
using tidewell::app::Balloon;
using tidewell::app::BalloonManager;

namespace {

BalloonManager::Request RequestAt(QWidget* anchor, const QString& key, const QString& pair = {}) {
  BalloonManager::Request request;
  request.anchor = anchor;
  request.globalTip = anchor->mapToGlobal(anchor->rect().center());
  request.caption = QStringLiteral("Invalid parameters");
  request.text = QStringLiteral("text of ") + key;
  request.icon = MessageIcon::Error;
  request.key = key;
  request.pairGroup = pair;
  return request;
}

}  // namespace

class BalloonTest : public QObject {
  Q_OBJECT

 private slots:
  void LifetimeCountsEveryCodeUnit_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lifetime");
    QTest::newRow("empty") << QString() << 5000;
    QTest::newRow("one line") << QStringLiteral("abc") << 5180;
    QTest::newRow("CR LF counts twice") << QStringLiteral("a\r\nb") << 5240;
    QTest::newRow("surrogate pair counts twice") << QString::fromUtf16(u"\U0001F600") << 5120;
  }
  void LifetimeCountsEveryCodeUnit() {
    QFETCH(QString, text);
    QFETCH(int, lifetime);
    Balloon balloon(QStringLiteral("Caption"), text, MessageIcon::Information);
    QCOMPARE(balloon.Lifetime(), lifetime);
  }

  void ClosesItselfWhenItsLifetimeEnds() {
    QWidget window;
    window.show();
    BalloonManager balloons;
    QPointer<Balloon> balloon = balloons.Show(RequestAt(&window, "a"));
    QVERIFY(balloon->isVisible());
    QTest::qWait(100);
    QVERIFY(balloon && balloon->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(balloon.isNull(), balloon->Lifetime() + 1000);
  }

  void ANewBalloonClosesThePreviousExceptItsPair_data() {
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("pairs");
    QTest::addColumn<QStringList>("visibleKeys");
    QTest::newRow("alone") << QStringList{"a", "b"} << QStringList{"", ""} << QStringList{"b"};
    QTest::newRow("pair shows together")
        << QStringList{"large", "small"} << QStringList{"icons", "icons"}
        << QStringList{"large", "small"};
    QTest::newRow("same key again replaces")
        << QStringList{"large", "small", "large"} << QStringList{"icons", "icons", "icons"}
        << QStringList{"small", "large"};
    QTest::newRow("other balloon closes the pair")
        << QStringList{"large", "small", "ok"} << QStringList{"icons", "icons", ""}
        << QStringList{"ok"};
  }
  void ANewBalloonClosesThePreviousExceptItsPair() {
    QFETCH(QStringList, keys);
    QFETCH(QStringList, pairs);
    QFETCH(QStringList, visibleKeys);
    QWidget window;
    window.show();
    BalloonManager balloons;
    for (qsizetype i = 0; i < keys.size(); ++i) balloons.Show(RequestAt(&window, keys[i], pairs[i]));
    QStringList visible;
    for (Balloon* balloon : balloons.Visible()) visible << balloon->Text().mid(8);
    QCOMPARE(visible, visibleKeys);
  }

  void NeverTakesTheFocus() {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    window.show();
    window.activateWindow();
    edit->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    BalloonManager balloons;
    Balloon* balloon = balloons.Show(RequestAt(edit, "edit"));
    QTest::qWait(50);
    QVERIFY(balloon->isVisible());
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(QApplication::activeWindow(), &window);
  }

  void ArrowTouchesTheAnchorCentre() {
    QWidget window;
    window.setGeometry(100, 100, 300, 200);
    window.show();
    BalloonManager balloons;
    const auto request = RequestAt(&window, "w");
    Balloon* balloon = balloons.Show(request);
    const QRect frame = balloon->geometry();
    // The tip is on the balloon's top edge (arrow up) or its bottom edge.
    const int tipY = balloon->ArrowPointsUp() ? frame.top() : frame.bottom() + 1;
    QCOMPARE(tipY, request.globalTip.y());
    QVERIFY(frame.left() < request.globalTip.x() && request.globalTip.x() < frame.right());
  }

  // Beside its tip, the balloon hides nothing left of, above or below it
  // (the other items of a navigation bar).
  void BesideItsTipTheBalloonLiesToTheRight() {
    QWidget window;
    window.setGeometry(100, 100, 300, 200);
    window.show();
    BalloonManager balloons;
    auto request = RequestAt(&window, "w");
    request.beside = true;
    Balloon* balloon = balloons.Show(request);
    QCOMPARE(balloon->ArrowSide(), Balloon::Arrow::Left);
    const QRect frame = balloon->geometry();
    QCOMPARE(frame.left(), request.globalTip.x());
    QVERIFY(frame.top() < request.globalTip.y() && request.globalTip.y() < frame.bottom());
  }
};

QTEST_MAIN(BalloonTest)
#include "BalloonTest.moc"
