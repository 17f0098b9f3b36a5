#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>

#include "project/Preferences.h"
#include "shell/QtPreferences.h"
#include "support/TempDir.h"

using namespace tidewell;
using tidewell::app::QtPreferences;
using tidewell::testing::ReadBytes;
using tidewell::testing::TempDir;

class QtPreferencesTest : public QObject {
  Q_OBJECT

 private:
  TempDir dir_;
  int files_ = 0;
  QString NewFile() {
    return QString::fromStdString((dir_ / ("p" + std::to_string(++files_) + ".ini")).string());
  }

 private slots:
  void NumbersAndTextsStayApart_data() {
    QTest::addColumn<bool>("asNumber");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << true << 0 << "";
    QTest::newRow("negative") << true << -2 << "";
    QTest::newRow("largest") << true << 2147483647 << "";
    QTest::newRow("empty text") << false << 0 << "";
    QTest::newRow("text that looks like a number") << false << 0 << "dword:00000005";
    QTest::newRow("digits") << false << 0 << "5";
    QTest::newRow("recent entry") << false << 0 << QString::fromUtf16(u"Café|/home/ü/Settings.xml");
  }
  void NumbersAndTextsStayApart() {
    QFETCH(bool, asNumber);
    QFETCH(int, number);
    QFETCH(QString, text);
    const QString file = NewFile();
    {
      QtPreferences preferences(file);
      if (asNumber)
        QVERIFY(preferences.WriteNumber(kRecentDocumentGroup, u"Value", number));
      else
        QVERIFY(preferences.WriteText(kRecentDocumentGroup, u"Value",
                                      WString(reinterpret_cast<const char16_t*>(text.utf16()),
                                              size_t(text.size()))));
    }
    const QtPreferences reread(file);  // what the next session reads
    const auto readNumber = reread.ReadNumber(kRecentDocumentGroup, u"Value");
    const auto readText = reread.ReadText(kRecentDocumentGroup, u"Value");
    if (asNumber) {
      QCOMPARE(readNumber, std::optional<int32_t>(number));
      QVERIFY(!readText);
    } else {
      QVERIFY(!readNumber);
      QVERIFY(readText);
      QCOMPARE(QString::fromUtf16(readText->data(), qsizetype(readText->size())), text);
    }
    QVERIFY(!reread.ReadNumber({}, u"Value"));  // another group
  }

  void TheFileNamesEveryValueWithItsType() {
    const QString file = NewFile();
    {
      QtPreferences preferences(file);
      preferences.WriteNumber({}, u"AutoShowLoad", 1);
      preferences.WriteNumber(kRecentDocumentGroup, u"DocumentCount", 5);
      preferences.WriteText(kRecentDocumentGroup, u"Document1", u"A|/p/Settings.xml");
      preferences.WriteText(kRecentDocumentGroup, u"Document2", u"gone");
      QVERIFY(preferences.Remove(kRecentDocumentGroup, u"Document2"));
      QVERIFY(preferences.Remove(kRecentDocumentGroup, u"Document9"));  // none there
      QVERIFY(preferences.Flush());
    }
    QCOMPARE(QString::fromStdString(ReadBytes(file.toStdString())),
             QStringLiteral("[General]\n"
                            "AutoShowLoad=dword:00000001\n"
                            "\n"
                            "[Recent%20Document%20List]\n"
                            "Document1=sz:A|/p/Settings.xml\n"
                            "DocumentCount=dword:00000005\n"));
  }

  void ValuesWithoutTheirTypeAreUnreadable() {
    const QString file = NewFile();
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::WriteOnly));
    raw.write("[General]\npane=1\nitem=dword:zz\nAutoShowLoad=sz:0\n");
    raw.close();
    const QtPreferences preferences(file);
    QVERIFY(preferences.KeyExists());
    for (const char16_t* name : {u"pane", u"item", u"AutoShowLoad"}) {
      QVERIFY(!preferences.ReadNumber({}, name));
    }
    QVERIFY(!preferences.ReadText({}, u"pane"));
    QVERIFY(!QtPreferences(NewFile()).KeyExists());
  }

  void BytesRoundTrip() {
    const QString file = NewFile();
    const QByteArray bytes("\x01\x00\xff placement", 13);
    QtPreferences(file).WriteBytes({}, u"MainFrameWindowPlacement", bytes);
    const QtPreferences reread(file);
    QCOMPARE(reread.ReadBytes({}, u"MainFrameWindowPlacement"), std::optional<QByteArray>(bytes));
    QVERIFY(!reread.ReadText({}, u"MainFrameWindowPlacement"));
  }

#ifdef Q_OS_WIN
  // The registry key itself, as the system's own reg.exe reads it.
  void TheRegistryKeyHoldsTypedValues() {
    {
      QtPreferences preferences;
      QVERIFY(preferences.WriteNumber({}, u"AutoShowLoad", 1));
      QVERIFY(preferences.WriteNumber(kRecentDocumentGroup, u"DocumentCount", 42));
      QVERIFY(preferences.WriteText(kRecentDocumentGroup, u"Document1", u"Λ|C:\\Projects\\Logbook\\Settings.xml"));
      QVERIFY(preferences.Flush());
    }
    const QString top = RegQuery(QStringLiteral("HKCU\\SoftWare\\Tidewell"));
    QVERIFY2(top.contains(QRegularExpression(QStringLiteral("AutoShowLoad\\s+REG_DWORD\\s+0x1\\b"))), qPrintable(top));
    const QString recent = RegQuery(QStringLiteral("HKCU\\SoftWare\\Tidewell\\Recent Document List"));
    QVERIFY2(recent.contains(QRegularExpression(QStringLiteral("DocumentCount\\s+REG_DWORD\\s+0x2a\\b"))), qPrintable(recent));
    QVERIFY2(recent.contains(QRegularExpression(QStringLiteral("Document1\\s+REG_SZ\\s+.\\|C:\\\\Projects\\\\Logbook\\\\Settings\\.xml"))),
             qPrintable(recent));
    const QtPreferences reread;  // the next session
    QCOMPARE(reread.ReadNumber(kRecentDocumentGroup, u"DocumentCount"), std::optional<int32_t>(42));
    QCOMPARE(reread.ReadText(kRecentDocumentGroup, u"Document1"),
             std::optional<WString>(u"Λ|C:\\Projects\\Logbook\\Settings.xml"));
    QSettings(QStringLiteral("HKEY_CURRENT_USER\\SoftWare\\Tidewell"), QSettings::NativeFormat).remove({});
  }
#endif

 private:
  static QString RegQuery(const QString& key) {
    QProcess reg;
    reg.start(QStringLiteral("reg"), {QStringLiteral("query"), key});
    if (!reg.waitForFinished(60000)) return QStringLiteral("reg query did not finish");
    return QString::fromLocal8Bit(reg.readAllStandardOutput());
  }
};

QTEST_MAIN(QtPreferencesTest)
#include "QtPreferencesTest.moc"
