// Every page and dialog is usable from the keyboard: Tab visits the controls
// in reading order, and each label that names a control carries an Alt
// accelerator of its own.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "../client/ClientTestServices.h"
#include "models/ItemTreeView.h"
#include "pages/behaviours/ClientBehavioursPageWidget.h"
#include "pages/client/ClientPageWidget.h"
#include "pages/files/AutoCompareDialog.h"
#include "pages/files/ServerFilesPage.h"
#include "pages/files/ShellExecDialog.h"
#include "pages/registry/RegistryItemDialog.h"
#include "shell/ProjectDialog.h"
#include "dialogs/VariablesButton.h"
#include "toolkit/Mnemonic.h"

using namespace tidewell;
using namespace tidewell::app;
using tidewell::testing::ClientTestServices;

namespace {

// The widgets Tab reaches inside `root`, from its first one, in order.
QList<QWidget*> TabChain(QWidget* root) {
  QList<QWidget*> chain;
  for (QWidget* w = root->nextInFocusChain(); w != root; w = w->nextInFocusChain()) {
    if (!root->isAncestorOf(w) || !w->isVisibleTo(root) || !w->isEnabled()) continue;
    if ((w->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || w->focusProxy()) continue;
    if (chain.contains(w)) break;
    chain << w;
  }
  return chain;
}

QStringList Names(const QList<QWidget*>& widgets) {
  QStringList names;
  for (QWidget* w : widgets) {
    QString name = QString::fromLatin1(w->metaObject()->className());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) name += u' ' + button->text();
    names << name;
  }
  return names;
}

template <typename... W>
QList<QWidget*> Widgets(W*... widgets) {
  return {static_cast<QWidget*>(widgets)...};
}

QList<QWidget*> DialogButtons(QWidget* dialog) {
  QList<QWidget*> buttons;
  auto* box = dialog->findChild<QDialogButtonBox*>();
  for (auto which : {QDialogButtonBox::Ok, QDialogButtonBox::Cancel}) buttons << box->button(which);
  return buttons;
}

struct Screen {
  std::unique_ptr<QWidget> root;
  QList<QWidget*> readingOrder;
};
using MakeScreen = std::function<Screen(ClientTestServices&)>;

}  // namespace

Q_DECLARE_METATYPE(MakeScreen)

class KeyboardTest : public QObject {
  Q_OBJECT

 private slots:
  void Screens_data() {
    QTest::addColumn<MakeScreen>("make");
    QTest::newRow("Configure page") << MakeScreen([](ClientTestServices& s) {
      auto page = std::make_unique<ClientPageWidget>(s.services, nullptr);
      QList<QWidget*> order = Widgets(page->RequestXmlField(), page->Variables(),
                            page->FilesLocationField(), page->CompanyNameField(),
                            page->AppTitleField(), page->ExecutableField(), page->BrowseButton());
      return Screen{std::move(page), order};
    });
    QTest::newRow("Client page") << MakeScreen([](ClientTestServices& s) {
      auto page = std::make_unique<ClientBehavioursPageWidget>(s.services, nullptr);
      QList<QWidget*> order = Widgets(page->MessageList(),  page->EditButton(),    page->UpdateTypeList(),
                            page->FrequencyList(), page->RepromptList(), page->MainButton(),
                            page->TopButton(),     page->IconButton(),   page->WarnOnExitBox(),
                            page->AllowErrorsBox(), page->AutomaticRestartBox());
      return Screen{std::move(page), order};
    });
    QTest::newRow("Server Files page") << MakeScreen([](ClientTestServices& s) {
      auto page = std::make_unique<ServerFilesPage>(s.services);
      QList<QWidget*> order = Widgets(page->AddFilesButton(), page->AutoCompareButton(),
                            page->BaseFolderButton(), page->FileView(),
                            page->AddExecutionButton(), page->ExecutionView());
      return Screen{std::move(page), order};
    });
    QTest::newRow("Automatic file addition") << MakeScreen([](ClientTestServices& s) {
      auto dialog = std::make_unique<AutoCompareDialog>(s.services, nullptr);
      QList<QWidget*> order = Widgets(dialog->OldField(), dialog->OldBrowse(), dialog->LatestField(),
                            dialog->LatestBrowse());
      order << DialogButtons(dialog.get());
      return Screen{std::move(dialog), order};
    });
    QTest::newRow("File execution") << MakeScreen([](ClientTestServices& s) {
      auto dialog = std::make_unique<ShellExecDialog>(s.services, std::function<QString(QWidget*)>{});
      QList<QWidget*> order = Widgets(dialog->Directory(), dialog->FileName(), dialog->BrowseButton(),
                            dialog->Point());
      order << DialogButtons(dialog.get());
      return Screen{std::move(dialog), order};
    });
    QTest::newRow("Registry") << MakeScreen([](ClientTestServices& s) {
      auto dialog = std::make_unique<RegistryItemDialog>(s.services);
      QList<QWidget*> order = Widgets(dialog->BaseKey(),   dialog->SubKey(),    dialog->Action(),
                            dialog->ValueType(), dialog->ValueName(), dialog->ValueData());
      order << DialogButtons(dialog.get());
      return Screen{std::move(dialog), order};
    });
    for (const auto mode : {ProjectDialogMode::NewMode, ProjectDialogMode::OpenMode}) {
      const bool open = mode == ProjectDialogMode::OpenMode;
      QTest::newRow(open ? "Project dialog, Load" : "Project dialog, New")
          << MakeScreen([mode, open](ClientTestServices& s) {
               auto dialog = std::make_unique<ProjectDialog>(ProjectDialogInput{mode, {}, {}, true},
                                                             s.prompt, s.fields, nullptr);
               QList<QWidget*> order = Widgets(dialog->Tabs()->tabBar());
               if (open)
                 order << Widgets(dialog->RecentList(), dialog->PathEdit(),
                                  dialog->OpenBrowseButton());
               else
                 order << Widgets(dialog->NameEdit(), dialog->LocationEdit(),
                                  dialog->LocationBrowseButton());
               if (open) order << dialog->LoadScreenBox();  // the open mode's alone
               order << DialogButtons(dialog.get());
               return Screen{std::move(dialog), order};
             });
    }
  }

  void Screens() {
    QFETCH(MakeScreen, make);
    ClientTestServices services;
    Screen screen = make(services);
    screen.root->show();

    QCOMPARE(Names(TabChain(screen.root.get())), Names(screen.readingOrder));
    QCOMPARE(TabChain(screen.root.get()), screen.readingOrder);

    // Each label naming a control has an accelerator, and no two controls
    // share one; Alt+F and Alt+H belong to the main window's menus.
    QMap<QChar, QString> taken{{u'f', QStringLiteral("File menu")},
                               {u'h', QStringLiteral("Help menu")}};
    auto take = [&](const QString& text) {
      const QChar letter = MnemonicOf(text);
      if (letter.isNull()) return;
      QVERIFY2(!taken.contains(letter),
               qPrintable(text + QStringLiteral(" and ") + taken.value(letter)));
      taken.insert(letter, text);
    };
    for (QLabel* label : screen.root->findChildren<QLabel*>()) {
      // A label naming a read-only text is no way into a control.
      if (!label->buddy() || !(label->buddy()->focusPolicy() & Qt::TabFocus)) continue;
      QVERIFY2(!MnemonicOf(label->text()).isNull(), qPrintable(label->text()));
      take(label->text());
    }
    for (QAbstractButton* button : screen.root->findChildren<QAbstractButton*>()) take(button->text());
  }

  void AltAcceleratorMovesTheFocusToItsField() {
    ClientTestServices services;
    ClientPageWidget page(services.services, nullptr);
    page.show();
    page.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&page));
    QTest::keyClick(&page, Qt::Key_L, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), page.FilesLocationField());
    QTest::keyClick(&page, Qt::Key_N, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), page.ExecutableField());
  }
};

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
