#include <QAbstractItemModelTester>
#include <QDialogButtonBox>
#include <QtTest>

#include "content/RegistryOperation.h"
#include "content/RegistryTree.h"
#include "files/PageHarness.h"
#include "files/TreePath.h"
#include "models/ItemTreeView.h"
#include "pages/files/OsTargetsPage.h"
#include "pages/registry/RegistryItemDialog.h"
#include "pages/registry/RegistryPage.h"
#include "pages/registry/RegistryPropertiesSheet.h"

using namespace tidewell;
using namespace tidewell::app;
using namespace tidewell::testing;

namespace {

struct RegistryHarness : PageHarness {
  RegistryPage page{services};
  QAbstractItemModelTester tester{page.View()->TreeModel(),
                                  QAbstractItemModelTester::FailureReportingMode::QtTest};
  RegistryHarness() {
    page.BindDocument(*document);
    page.resize(800, 600);
    page.show();
  }
  RegistryTree& tree() { return document->registryTree; }
  // Adds an operation through "Add RegKey" and the dialog.
  void Add(int action, const QString& subKey, const QString& name, const QString& data) {
    WhenModal<RegistryItemDialog>([=](RegistryItemDialog* dialog) {
      dialog->SubKey()->setText(subKey);
      dialog->Action()->setCurrentIndex(action);
      dialog->ValueName()->setText(name);
      dialog->ValueData()->setText(data);
      dialog->accept();
    });
    page.AddButton()->click();
  }
  bool Consistent() { return ModelMatchesTree(*page.View()->TreeModel(), tree()) &&
           ViewMatchesTree(*page.View(), *page.View()->TreeModel(), tree());
  }
};

}  // namespace

class RegistryPageTest : public QObject {
  Q_OBJECT

 private slots:
  void DialogEnablesFieldsPerAction() {
    struct Case {
      int action;
      bool type, name, data;
    };
    const Case cases[] = {
        {0, true, true, true}, {1, false, true, false}, {2, false, false, false}, {3, false, false, false}, {0, true, true, true}};
    PageHarness h;
    RegistryItemDialog dialog(h.services);
    QCOMPARE(dialog.BaseKey()->currentText(), QStringLiteral("HKEY_CURRENT_USER"));
    QCOMPARE(dialog.ValueType()->currentText(), QStringLiteral("REG_SZ"));
    dialog.ValueName()->setText("kept name");
    dialog.ValueData()->setText("kept data");
    for (const Case& c : cases) {
      dialog.Action()->setCurrentIndex(c.action);
      QCOMPARE(dialog.ValueType()->isEnabled(), c.type);
      QCOMPARE(dialog.ValueName()->isEnabled(), c.name);
      QCOMPARE(dialog.ValueData()->isEnabled(), c.data);
      QCOMPARE(dialog.ValueName()->text(), QStringLiteral("kept name"));
      QCOMPARE(dialog.ValueData()->text(), QStringLiteral("kept data"));
    }
  }

  void DialogStaysOpenOnAnEmptyRequiredField() {
    struct Case {
      int action;
      QString subKey, name, data;
      FieldId refused;  // empty: accepted
    };
    const Case cases[] = {{0, "", "n", "d", kRegistrySubKeyField},
                          {0, "S", "", "d", kRegistryValueNameField},
                          {0, "S", "n", "", kRegistryValueDataField},
                          {1, "S", "", "", kRegistryValueNameField},
                          {1, "S", "n", "", ""},
                          {2, "S", "", "", ""}};
    for (const Case& c : cases) {
      PageHarness h;
      RegistryItemDialog dialog(h.services);
      dialog.show();
      dialog.Action()->setCurrentIndex(c.action);
      dialog.SubKey()->setText(c.subKey);
      dialog.ValueName()->setText(c.name);
      dialog.ValueData()->setText(c.data);
      dialog.accept();
      QCOMPARE(dialog.result() == QDialog::Accepted, c.refused.empty());
      QCOMPARE(h.Balloons().size(), c.refused.empty() ? 0u : 1u);
      if (!c.refused.empty()) QCOMPARE(h.Balloons()[0].field, c.refused);
    }
  }

  void PageAddsShowsAndDeletesOperations() {
    RegistryHarness h;
    h.Add(0, "Software\\MyApp", "Version", "2.1");
    h.Add(1, "Software\\MyApp", "VERSION", "");  // the same label: not added
    h.Add(2, "Software\\MyApp\\Cache", "", "");
    QCOMPARE(h.tree().NodeCount(), 6u);
    QVERIFY(h.Consistent());
    // The new operation is selected and shown in the panel.
    QCOMPARE(h.page.ItemField(0)->text(), QStringLiteral("<Create key>"));
    h.page.View()->SelectNode(FindNodeByPath(h.tree(), u"HKEY_CURRENT_USER\\Software\\MyApp\\Version"));
    QCOMPARE(h.page.ItemField(0)->text(), QStringLiteral("Version"));
    QCOMPARE(h.page.ItemField(1)->text(), QStringLiteral("2.1"));
    QCOMPARE(h.page.ItemField(2)->text(), QStringLiteral("REG_SZ"));
    h.page.View()->SelectNode(FindNodeByPath(h.tree(), u"HKEY_CURRENT_USER\\Software"));
    QCOMPARE(h.page.ItemField(0)->text(), QString());

    // Deleting the key operation prunes the Cache key, and keeps the rest open.
    h.page.View()->SelectNode(
        FindNodeByPath(h.tree(), u"HKEY_CURRENT_USER\\Software\\MyApp\\Cache\\<Create key>"));
    QTest::keyClick(h.page.View(), Qt::Key_Delete);
    QCOMPARE(h.tree().NodeCount(), 4u);
    QVERIFY(h.page.View()->isExpanded(h.page.View()->TreeModel()->IndexOf(
        FindNodeByPath(h.tree(), u"HKEY_CURRENT_USER\\Software\\MyApp"))));
    QVERIFY(h.Consistent());
  }

  void PropertiesSheetSetsTargetsOfOperationsOnly() {
    RegistryHarness h;
    h.Add(0, "Software", "Version", "2.1");
    ItemTreeView* view = h.page.View();
    const TreeNode* key = FindNodeByPath(h.tree(), u"HKEY_CURRENT_USER\\Software");
    const TreeNode* operation = FindNodeByPath(h.tree(), u"HKEY_CURRENT_USER\\Software\\Version");
    auto labelOf = [&](const TreeNode* node) {
      const QRect rect = view->visualRect(view->TreeModel()->IndexOf(node));
      return rect.topLeft() + QPoint(24, rect.height() / 2);
    };

    // A key opens nothing, from the menu or a double-click.
    WithContextMenu(view, labelOf(key), [](QMenu* menu) { Choose(menu, MenuAction(menu, "&Properties")); });
    QVERIFY(!QApplication::activeModalWidget());

    WhenModal<RegistryPropertiesSheet>([](RegistryPropertiesSheet* sheet) {
      QCOMPARE(sheet->windowTitle(), QStringLiteral("Registry update properties"));
      QCOMPARE(sheet->Tabs()->count(), 1);
      QCOMPARE(sheet->Tabs()->tabText(0), QStringLiteral("General"));
      auto* buttons = sheet->findChild<QDialogButtonBox*>();
      QVERIFY(!buttons->button(QDialogButtonBox::Apply));
      sheet->General()->Box(4)->click();  // Win95 off
      sheet->accept();
    });
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, labelOf(operation));
    QCOMPARE(operation->record->OS, 30);

    // "&Add" of the registry tree opens the registry dialog.
    bool opened = false;
    WithContextMenu(view, QPoint(view->viewport()->width() - 4, view->viewport()->height() - 4),
                    [&](QMenu* menu) {
                      QVERIFY(!MenuAction(menu, "&Properties")->isEnabled());
                      WhenModal<RegistryItemDialog>([&](RegistryItemDialog* dialog) {
                        opened = true;
                        dialog->reject();
                      });
                      Choose(menu, MenuAction(menu, "&Add"));
                    });
    QVERIFY(opened);
    QVERIFY(h.Consistent());
  }
};

QTEST_MAIN(RegistryPageTest)
#include "RegistryPageTest.moc"
