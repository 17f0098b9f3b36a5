#include <QPushButton>
#include <QtTest>
#include <memory>

#include "toolkit/FieldRegistry.h"

using tidewell::app::FieldRegistry;

class FieldRegistryTest : public QObject {
  Q_OBJECT

 private slots:
  void LastLivingRegistrationWins() {
    FieldRegistry registry;
    QWidget page;
    auto* pageButton = new QPushButton(&page);
    auto dialogButton = std::make_unique<QPushButton>();
    registry.Register("field", pageButton);
    registry.Register("field", dialogButton.get());
    QCOMPARE(registry.Find("field").widget, dialogButton.get());
    dialogButton.reset();  // the dialog closed
    QCOMPARE(registry.Find("field").widget, pageButton);
    QVERIFY(registry.Find("other").widget == nullptr);
  }

  void AreaIsAskedWhenTheBalloonNeedsIt() {
    FieldRegistry registry;
    QWidget bar;
    bar.setGeometry(0, 0, 200, 100);
    QRect item(10, 10, 20, 20);
    registry.Register("item", &bar, [&] { return item; });
    item.moveTo(50, 50);  // the layout moved the item after registration
    const auto anchor = registry.Find("item");
    QCOMPARE(anchor.area, QRect(50, 50, 20, 20));
    QCOMPARE(anchor.GlobalCentre(), bar.mapToGlobal(QPoint(59, 59)));
  }
};

QTEST_MAIN(FieldRegistryTest)
#include "FieldRegistryTest.moc"
