#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QLabel>
#include <QtTest>
#include <filesystem>

#include "ClientTestServices.h"
#include "build/IconCatalogue.h"
#include "build/IconSelection.h"
#include "content/VariableList.h"
#include "content/VariablesDialogRules.h"
#include "build/ClientPicture.h"
#include "dialogs/ClientIconsRequest.h"
#include "dialogs/IconImages.h"
#include "dialogs/UserTextDialog.h"
#include "pages/behaviours/ClientBehavioursPageWidget.h"
#include "pe/PeResourceReader.h"
#include "dialogs/IconSelectionDialog.h"
#include "dialogs/PicturePreview.h"
#include "dialogs/RegistryReadDialog.h"
#include "dialogs/VariablesDialog.h"
#include "support/TempDir.h"
#include "text/Text.h"

using namespace tidewell;
using namespace tidewell::app;
using tidewell::testing::ClientTestServices;
using tidewell::testing::WhenModalOpens;
namespace fs = std::filesystem;
using Balloons = std::vector<std::pair<FieldId, WString>>;

namespace {

QString Q(const WString& text) { return ToQString(text); }

QStringList Names(const VariableList& list) {
  QStringList names;
  for (const Variable& v : list.Rows()) names << Q(v.name);
  return names;
}

// A module with icon images of both sizes: wine's shell library when it is
// installed, otherwise the client stub.
fs::path IconModule() {
  const fs::path shell32 = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll";
  if (fs::exists(shell32)) return shell32;
  return fs::path(TIDEWELL_BIN_DIR) / "Tidewatch.exe";
}

void FillRegistryRead(RegistryReadDialog* dialog, const QString& subKey, const QString& value) {
  dialog->findChildren<QLineEdit*>().at(0)->setText(subKey);
  dialog->findChildren<QLineEdit*>().at(1)->setText(value);
  dialog->accept();
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void CreateNewNamesVariablesByTheirCount() {
    ClientTestServices t;
    VariableList list;
    VariablesDialog dialog(t.prompt, t.fields, &t.window);
    dialog.SetList(&list);
    QCOMPARE(dialog.SelectedRow(), 0);
    for (const char* subKey : {"Software/MyApp", "Software\\\\Other"}) {
      WhenModalOpens<RegistryReadDialog>([&](RegistryReadDialog* d) {
        FillRegistryRead(d, QString::fromUtf8(subKey), QStringLiteral("Edition"));
      });
      dialog.CreateNew();
    }
    QCOMPARE(Names(list), (QStringList{"Login", "Platform", "Variable2", "Variable3"}));
    QCOMPARE(Q(list.Rows()[2].description), QStringLiteral("HKEY_CURRENT_USER\\Software\\MyApp\\Edition"));
    QCOMPARE(Q(list.Rows()[3].description), QStringLiteral("HKEY_CURRENT_USER\\Software\\Other\\Edition"));
    QCOMPARE(Q(list.Rows()[3].additional), QStringLiteral("REG_SZ"));
    QCOMPARE(dialog.SelectedRow(), 3);
    // After New or Open the first row is selected again.
    list.ResetVariables();
    dialog.SetList(&list);
    QCOMPARE(dialog.List()->model()->rowCount(), 2);
    QCOMPARE(dialog.SelectedRow(), 0);
  }

  void NamesAreEditedInPlace() {
    struct Case {
      int row;
      QString name;
      QStringList names;  // afterwards, in list order
      int selected;
    };
    const Case cases[] = {
        {2, QString(), {"", "Login", "Platform"}, 0},
        {0, QStringLiteral("zeta"), {"Platform", "Variable2", "zeta"}, 2},
        {1, QStringLiteral("login"), {"Login", "login", "Variable2"}, 1},
        {2, QStringLiteral("A & <b>"), {"A & <b>", "Login", "Platform"}, 0},
    };
    for (const Case& c : cases) {
      ClientTestServices t;
      VariableList list;
      list.AddVariable(u"", u"HKEY_USERS\\S\\V", u"REG_SZ");
      VariablesDialog dialog(t.prompt, t.fields, &t.window);
      dialog.SetList(&list);
      QAbstractItemModel* model = dialog.List()->model();
      QVERIFY(model->flags(model->index(c.row, 0)) & Qt::ItemIsEditable);
      QVERIFY(!(model->flags(model->index(c.row, 1)) & Qt::ItemIsEditable));
      QVERIFY(model->setData(model->index(c.row, 0), c.name, Qt::EditRole));
      QCOMPARE(Names(list), c.names);
      QCOMPARE(dialog.SelectedRow(), c.selected);
      QCOMPARE(model->data(model->index(c.selected, 0)).toString(), c.name);
    }
  }

  void DoubleClickEditsOnlyUserVariables() {
    ClientTestServices t;
    VariableList list;
    list.AddVariable(u"", u"HKEY_LOCAL_MACHINE\\Software\\My\\App\\Edition", u"REG_DWORD");
    VariablesDialog dialog(t.prompt, t.fields, &t.window);
    dialog.SetList(&list);
    dialog.EditRow(0);
    dialog.EditRow(-1);
    QCOMPARE(t.Balloons(), (Balloons{{kVariablesListField,
                                      u"You cannot change the property of in-built variables"}}));
    RegistryReadFields shown;
    WhenModalOpens<RegistryReadDialog>([&](RegistryReadDialog* d) {
      shown = d->Fields();
      FillRegistryRead(d, QStringLiteral("Software/New"), QStringLiteral("Name"));
    });
    dialog.EditRow(2);
    QCOMPARE(Q(shown.baseKey), QStringLiteral("HKEY_LOCAL_MACHINE"));
    QCOMPARE(Q(shown.subKey), QStringLiteral("Software\\My\\App"));
    QCOMPARE(Q(shown.valueName), QStringLiteral("Edition"));
    QCOMPARE(Q(shown.valueType), QStringLiteral("REG_DWORD"));
    QCOMPARE(Q(list.Rows()[2].name), QStringLiteral("Variable2"));
    QCOMPARE(Q(list.Rows()[2].description), QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\New\\Name"));
  }

  void OkEscapeAndLosingTheFocusHide() {
    ClientTestServices t;
    VariableList list;
    VariablesDialog dialog(t.prompt, t.fields, &t.window);
    dialog.SetList(&list);
    QVERIFY(dialog.isHidden());
    dialog.ShowVariables();
    QVERIFY(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isHidden());
    dialog.ShowVariables();
    dialog.findChildren<QPushButton*>().last()->click();  // OK
    QVERIFY(dialog.isHidden());
    // Its own registry dialog taking the focus keeps it open; another window hides it.
    t.window.show();
    dialog.ShowVariables();
    QApplication::setActiveWindow(&dialog);
    bool openWhileChildActive = false;
    WhenModalOpens<RegistryReadDialog>([&](RegistryReadDialog* d) {
      QApplication::setActiveWindow(d);
      QTest::qWait(20);
      openWhileChildActive = dialog.isVisible();
      d->reject();
    });
    dialog.CreateNew();
    QVERIFY(openWhileChildActive);
    QApplication::setActiveWindow(&dialog);
    QApplication::setActiveWindow(&t.window);
    QTRY_VERIFY(dialog.isHidden());
  }

  void VariablesStayUsableWhileTheUserTextDialogIsOpen() {
    ClientTestServices t;
    VariableList list;
    t.window.show();
    VariablesDialog variables(t.prompt, t.fields, &t.window);
    variables.SetList(&list);
    QWidget* parentWhileOpen = nullptr;
    bool transientOfTheDialog = false;
    WhenModalOpens<UserTextDialog>([&](UserTextDialog* dialog) {
      dialog->Variables()->click();  // the main part
      parentWhileOpen = variables.parentWidget();
      // A modal dialog blocks every window but its own transient ones.
      transientOfTheDialog = variables.isVisible() && variables.windowHandle() &&
                             variables.windowHandle()->transientParent() == dialog->windowHandle();
      dialog->reject();
    });
    UserTextDialog dialog({QStringLiteral("Welcome Message"), QStringLiteral("Enter:"), u"", {}, {},
                           [&] { variables.ShowVariables(); }},
                          &t.window);
    dialog.exec();
    QCOMPARE(parentWhileOpen, static_cast<QWidget*>(&dialog));
    QVERIFY(transientOfTheDialog);
    // Back with its owner once the text dialog closed, so it outlives it.
    QCOMPARE(variables.parentWidget(), &t.window);
  }

  void IconRequestCopiesTheChosenImagesIntoTheClient() {
    const fs::path stub = fs::path(TIDEWELL_BIN_DIR) / "Tidewatch.exe";
    if (!fs::exists(stub)) QSKIP("the stub Tidewatch.exe was not built");
    testing::TempDir dir;
    fs::create_directories(dir / "tool");
    fs::copy_file(stub, dir / "tool" / "Tidewatch.exe");
    const WString tool = text::FromPath(dir / "tool");
    const WString module = text::FromPath(IconModule());
    ClientTestServices t;
    ProjectDocument document;
    // No project: refused before anything opens.
    SetClientIcons(t.services, document, module, tool);
    QCOMPARE(t.Messages().size(), size_t{1});
    QCOMPARE(Q(t.Messages()[0].text), Q(kNoProjectForIconsMessage));
    t.prompt.Clear();
    document.projectFolder = text::FromPath(dir / "project");
    document.projectFileName = u"Settings.xml";
    document.settings.SetSetting(SettingKey::ProjName, u"Demo");
    // No stub to make the client from: refused too.
    SetClientIcons(t.services, document, module, text::FromPath(dir / "empty"));
    QCOMPARE(t.Messages().size(), size_t{1});
    QCOMPARE(Q(t.Messages()[0].text), Q(kClientForIconsError));
    t.prompt.Clear();
    // What the dialog shows is compared after it closes: a failed comparison
    // inside would leave it open.
    QString shownSource;
    QSize shownIcon;
    WhenModalOpens<IconSelectionDialog>([&](IconSelectionDialog* dialog) {
      shownSource = dialog->SourceField()->text();
      shownIcon = dialog->CurrentLargeIcon()->pixmap().size();
      dialog->LargeList()->setCurrentIndex(dialog->LargeList()->model()->index(1, 0));
      dialog->SmallList()->setCurrentIndex(dialog->SmallList()->model()->index(2, 0));
      dialog->LargeList()->setFocus();
      dialog->accept();
    });
    SetClientIcons(t.services, document, module, tool);
    QCOMPARE(shownSource, Q(module));
    // The client made from the stub carries the stub's icon: it shows.
    QCOMPARE(shownIcon, QSize(32, 32));
    QCOMPARE(t.prompt.Events().size(), size_t{0});
    const IconCatalogue catalogue = ReadIconCatalogue(module);
    const auto source = pe::PeResourceReader::Open(IconModule(), nullptr);
    const auto client = pe::PeResourceReader::Open(
        text::ToPath(document.ClientExecutablePath()), nullptr);
    QVERIFY(source && client);
    const pe::ResourceId icon = pe::ResourceId::Integer(3);
    QCOMPARE(client->Find(icon, u"#1")->bytes, source->Find(icon, catalogue.large[1], 0)->bytes);
    QCOMPARE(client->Find(icon, u"#2")->bytes, source->Find(icon, catalogue.small[2], 0)->bytes);
  }

  void ChosenPictureIsWrittenIntoTheClient() {
    const fs::path stub = fs::path(TIDEWELL_BIN_DIR) / "Tidewatch.exe";
    if (!fs::exists(stub)) QSKIP("the stub Tidewatch.exe was not built");
    testing::TempDir dir;
    fs::create_directories(dir / "tool");
    fs::copy_file(stub, dir / "tool" / "Tidewatch.exe");
    QImage picture(12, 8, QImage::Format_RGB888);
    picture.fill(Qt::blue);
    const QString file = ToQString(text::FromPath(dir / "p.bmp"));
    QVERIFY(picture.save(file, "BMP"));
    ClientTestServices t;
    ProjectDocument document;
    document.projectFolder = text::FromPath(dir / "project");
    document.settings.SetSetting(SettingKey::ProjName, u"Demo");
    ClientBehavioursPageWidget page(t.services, nullptr);
    page.SetToolFolder(text::FromPath(dir / "tool"));
    page.BindDocument(document);
    page.WritePicture(ClientPicture::Top, file);
    const auto client = pe::PeResourceReader::Open(
        text::ToPath(document.ClientExecutablePath()), nullptr);
    QVERIFY(client);
    const auto bitmap = client->Find(pe::ResourceId::Integer(2), u"#205");
    QVERIFY(bitmap);
    QCOMPARE(bitmap->bytes, testing::ReadBytes(dir / "p.bmp").substr(14));
    QCOMPARE(t.prompt.Events().size(), size_t{0});
  }

  void RegistryReadRequiresSubKeyThenValueName() {
    struct Case {
      QString subKey, valueName;
      Balloons balloons;
      bool accepted;
    };
    const Case cases[] = {
        {"", "", {{kRegistryReadSubKeyField, u"This value cannot be empty"}}, false},
        {"", "V", {{kRegistryReadSubKeyField, u"This value cannot be empty"}}, false},
        {"S", "", {{kRegistryReadValueNameField, u"This value cannot be empty"}}, false},
        {"S", "V", {}, true},
    };
    for (const Case& c : cases) {
      ClientTestServices t;
      RegistryReadDialog dialog(RegistryReadFields{}, t.prompt, t.fields, &t.window);
      QCOMPARE(dialog.findChild<QComboBox*>()->currentText(), QStringLiteral("HKEY_CURRENT_USER"));
      QCOMPARE(dialog.findChildren<QComboBox*>().at(1)->currentText(), QStringLiteral("REG_SZ"));
      dialog.show();
      FillRegistryRead(&dialog, c.subKey, c.valueName);
      QCOMPARE(t.Balloons(), c.balloons);
      QCOMPARE(dialog.result() == QDialog::Accepted, c.accepted);
      QCOMPARE(dialog.isVisible(), !c.accepted);
    }
  }

  void IconDialogListsAndDecodesTheModulesImages() {
    const WString module = text::FromPath(IconModule());
    if (!fs::exists(IconModule())) QSKIP("no module with icons here");
    ClientTestServices t;
    IconSelectionDialog dialog(module, t.prompt, t.fields, &t.window);
    const IconCatalogue catalogue = ReadIconCatalogue(module);
    QVERIFY(!catalogue.large.empty() && !catalogue.small.empty());
    QCOMPARE(dialog.LargeList()->model()->rowCount(), int(catalogue.large.size()));
    QCOMPARE(dialog.SmallList()->model()->rowCount(), int(catalogue.small.size()));
    QCOMPARE(dialog.SourceField()->text(), Q(module));
    for (auto [list, pixels] : {std::pair{dialog.LargeList(), 32}, std::pair{dialog.SmallList(), 16}}) {
      const QModelIndex first = list->model()->index(0, 0);
      // Each entry is shown with its resource name.
      const auto& names = pixels == 32 ? catalogue.large : catalogue.small;
      QCOMPARE(first.data(Qt::UserRole).toString(), Q(names.front()));
      const QImage picture = first.data(Qt::DecorationRole).value<QImage>();
      QCOMPARE(picture.size(), QSize(pixels, pixels));
      // Not blank: an icon has at least two colours.
      QSet<QRgb> colours;
      for (int y = 0; y < pixels; ++y)
        for (int x = 0; x < pixels; ++x) colours.insert(picture.pixel(x, y));
      QVERIFY(colours.size() > 1);
      QVERIFY(!list->selectionModel()->hasSelection());
    }
    QCOMPARE(t.Balloons().size(), size_t{0});
  }

  void IconDialogEnterRefillsAndOkNeedsBothImages() {
    if (!fs::exists(IconModule())) QSKIP("no module with icons here");
    const WString module = text::FromPath(IconModule());
    testing::TempDir dir;
    testing::WriteBytes(dir / "notes.txt", "not a module");
    ClientTestServices t;
    IconSelectionDialog dialog(module, t.prompt, t.fields, &t.window);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.SourceField()->setFocus();
    QTRY_VERIFY(dialog.SourceField()->hasFocus());
    // Enter in the source field lists the typed file; the dialog stays.
    dialog.SourceField()->setText(ToQString(text::FromPath(dir / "notes.txt")));
    QTest::keyClick(dialog.SourceField(), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.LargeList()->model()->rowCount(), 0);
    QCOMPARE(dialog.SmallList()->model()->rowCount(), 0);
    QCOMPARE(t.Balloons(), (Balloons{{kLargeIconListField, kNoLargeIconsMessage},
                                     {kSmallIconListField, kNoSmallIconsMessage}}));
    dialog.SourceField()->setText(Q(module));
    QTest::keyClick(dialog.SourceField(), Qt::Key_Return);
    QVERIFY(dialog.LargeList()->model()->rowCount() > 0);
    t.prompt.Clear();
    // OK elsewhere: both images must be chosen.
    dialog.LargeList()->setFocus();
    const int lastLarge = dialog.LargeList()->model()->rowCount() - 1;
    dialog.LargeList()->setCurrentIndex(dialog.LargeList()->model()->index(lastLarge, 0));
    dialog.OkButton()->click();
    QCOMPARE(t.Balloons(), (Balloons{{kIconSelectionOkField, kChooseBothIconsMessage}}));
    QVERIFY(dialog.isVisible());
    dialog.SmallList()->setCurrentIndex(dialog.SmallList()->model()->index(0, 0));
    dialog.OkButton()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const IconCatalogue catalogue = ReadIconCatalogue(module);
    QCOMPARE(Q(dialog.Choice().large), Q(catalogue.large.back()));
    QCOMPARE(Q(dialog.Choice().small), Q(catalogue.small.front()));
    QCOMPARE(Q(dialog.Choice().source), Q(module));
  }

  void PreviewPanelReadsTheBitmapsHeaders() {
    struct Case {
      QImage::Format format;
      int tableSize;  // colours of an indexed picture
      QSize size;
      QString colours;
      QRect placed;  // in a 200 x 100 area
    };
    const Case cases[] = {
        {QImage::Format_Mono, 2, {40, 20}, "Colors: 2 (monocromatic)", {0, 0, 200, 100}},
        {QImage::Format_Indexed8, 256, {20, 40}, "Colors: 256", {75, 0, 50, 100}},
        // Written with 4 bits per pixel: the file's count is shown, not the
        // 8 bits of the decoded picture.
        {QImage::Format_Indexed8, 2, {30, 30}, "Colors: 16", {50, 0, 100, 100}},
        {QImage::Format_RGB888, 0, {400, 100}, "Colors: 16 millions", {0, 25, 200, 50}},
    };
    testing::TempDir dir;
    PicturePreviewPanel panel(nullptr);
    panel.ShowPreviewBox()->setChecked(true);
    int n = 0;
    for (const Case& c : cases) {
      QImage image(c.size, c.format);
      if (c.format == QImage::Format_Indexed8) {
        QList<QRgb> table;
        for (int i = 0; i < c.tableSize; ++i) table << qRgb(i, i, 255 - i);
        image.setColorTable(table);
      }
      image.fill(1);
      const QString path = ToQString(text::FromPath(dir / ("p" + std::to_string(n++) + ".bmp")));
      QVERIFY(image.save(path, "BMP"));
      panel.ShowFile(path);
      const auto size = QFileInfo(path).size() / 1024;
      QCOMPARE(panel.Lines(), (std::array<QString, 4>{
                                  QStringLiteral("Width: %1 pixels").arg(c.size.width()),
                                  QStringLiteral("Height: %1 pixels").arg(c.size.height()),
                                  c.colours, QStringLiteral("Size: %1 Kb").arg(size)}));
      QCOMPARE(PictureArea::PlaceIn(c.size, QRect(0, 0, 200, 100)), c.placed);
      QVERIFY(!panel.Area()->Picture().isNull());
    }
    // A file that is no bitmap: the picture goes, the lines stay.
    const auto lines = panel.Lines();
    testing::WriteBytes(dir / "bad.bmp", "BM not really");
    panel.ShowFile(ToQString(text::FromPath(dir / "bad.bmp")));
    QVERIFY(panel.Area()->Picture().isNull());
    QCOMPARE(panel.Lines(), lines);
    // Unchecked: everything cleared, and the next panel starts unchecked.
    panel.ShowPreviewBox()->setChecked(false);
    QCOMPARE(panel.Lines(), (std::array<QString, 4>{}));
    PicturePreviewPanel next(nullptr);
    QVERIFY(!next.ShowPreviewBox()->isChecked());
    next.ShowPreviewBox()->setChecked(true);
  }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
