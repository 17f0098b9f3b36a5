#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "pages/release/PublishProgressDialog.h"
#include "pages/release/PublishView.h"
#include "project/DocumentReader.h"
#include "project/Preferences.h"
#include "project/ProjectDocument.h"
#include "publish/LoopbackServers.h"
#include "publish/ReleaseFixture.h"
#include "support/TempDir.h"
#include "text/Text.h"

using namespace tidewell;
using namespace tidewell::app;
namespace fs = std::filesystem;

// The Build page's publishing: the view hands the fields to the core's
// publish, which runs off the window's thread while the dialog shows it go.
class PublishViewTest : public QObject {
  Q_OBJECT

 private slots:
  void PublishesToAFolderAndChecksTheReleaseOverHttp() {
    testing::TempDir dir;
    testing::WebServer server(dir / "www", dir.Path());
    QVERIFY(server.Ok());
    testing::ReleaseFixture fixture(dir / "work");
    std::string output;
    QVERIFY2(fixture.Build({{"App.exe", std::string(5000, 'a')}, {"bin/Lib.dll", "lib"}}, output,
                           server.Url() + "/up/Update.xml", server.Url() + "/up/files"),
             output.c_str());
    ProjectDocument document;
    QVERIFY(LoadDocument(document, text::FromPath(fixture.Project())));

    MemoryPreferences preferences;
    PublishView view(preferences, nullptr);
    view.SetDocument(&document);
    view.SetProjectFile([&document] { return document.ProjectFilePath(); });
    view.Target()->setText(QString::fromStdString((dir / "www" / "up").string()));
    QSignalSpy finished(&view, &PublishView::finished);
    view.PublishButton()->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(view.Dialog()->Result().outcome, CommandOutcome::Done);
    // The target is kept for the project, in the preferences.
    view.Target()->clear();
    view.Load();
    QCOMPARE(view.Target()->text(), QString::fromStdString((dir / "www" / "up").string()));
    const QString result = view.Dialog()->ResultText()->toPlainText();
    QVERIFY2(result.startsWith(QStringLiteral("Sent 4 file(s)")), qPrintable(result));
    QVERIFY2(result.endsWith(QStringLiteral(
                 "The published release is whole: 2 file(s) checked as a client fetches them.")),
             qPrintable(result));
    QCOMPARE(view.Dialog()->CancelButton()->text(), QStringLiteral("Close"));
    QCOMPARE(testing::ReadBytes(dir / "www" / "up" / "files" / "bin" / "Lib.dll"), std::string("lib"));

    // The check alone finds the file that went missing since.
    fs::remove(dir / "www" / "up" / "files" / "App.exe");
    view.CheckButton()->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(view.Dialog()->Result().outcome, CommandOutcome::Failed);
    QVERIFY2(view.Dialog()->ResultText()->toPlainText().startsWith(
                 QString::fromStdString(server.Url() + "/up/files/App.exe: missing (404)")),
             qPrintable(view.Dialog()->ResultText()->toPlainText()));
  }

  void CancelReachesTheJobAndTheDialogShowsHowItEnded() {
    PublishProgressDialog dialog(QStringLiteral("Publish"), nullptr);
    QSignalSpy ended(&dialog, &PublishProgressDialog::jobEnded);
    std::atomic<std::uint64_t> sent{0};
    dialog.Start([&sent](const publish::JobProgressFn& progress) {
      while (progress({publish::JobStage::Sending, "files/App.exe", ++sent, 200}))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      publish::JobResult result;
      result.outcome = CommandOutcome::Refused;
      result.message = "the publish was cancelled; the previous release is as it was";
      return result;
    });
    QTRY_VERIFY(dialog.Bar()->value() > 0);
    dialog.CancelButton()->click();
    QVERIFY(ended.wait(5000));
    QVERIFY(!dialog.Running());
    QCOMPARE(dialog.ResultText()->toPlainText(),
             QStringLiteral("the publish was cancelled; the previous release is as it was"));
    QCOMPARE(dialog.CancelButton()->text(), QStringLiteral("Close"));
  }

  void FilesElsewhereWithoutTheirTargetAreRefusedWithTheReason() {
    testing::TempDir dir;
    testing::ReleaseFixture fixture(dir / "work");
    std::string output;
    QVERIFY2(fixture.Build({{"App.exe", "a"}}, output, "http://127.0.0.1:9/up/Update.xml",
                           "http://127.0.0.1:9/other"),
             output.c_str());
    ProjectDocument document;
    QVERIFY(LoadDocument(document, text::FromPath(fixture.Project())));
    MemoryPreferences preferences;
    PublishView view(preferences, nullptr);
    view.SetDocument(&document);
    view.Target()->setText(QString::fromStdString((dir / "www").string()));
    QSignalSpy finished(&view, &PublishView::finished);
    view.PublishButton()->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(view.Dialog()->Result().outcome, CommandOutcome::Refused);
    QCOMPARE(view.Dialog()->ResultText()->toPlainText(),
             QStringLiteral("the update files' folder /other is not below the update XML file's "
                            "folder /up, so they cannot go below the target: name a second target "
                            "for the update files (--files-to)"));
    QVERIFY(!fs::exists(dir / "www"));
  }
};

QTEST_MAIN(PublishViewTest)
#include "PublishViewTest.moc"
