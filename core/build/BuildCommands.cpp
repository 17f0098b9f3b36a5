#include "build/BuildCommands.h"

#include <filesystem>
#include <system_error>

#include "build/ClientBuilder.h"
#include "build/ClientSigning.h"
#include "build/ClientStringTable.h"
#include "build/ProgramLaunch.h"
#include "build/ReleasePanes.h"
#include "build/ServerFileSignature.h"
#include "build/ToolFolder.h"
#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"
#include "signing/PatchList.h"
#include "text/Text.h"

namespace tidewell {

namespace {

// The status text of a build request, back to "Ready" on every path.
class StatusScope {
 public:
  StatusScope(Prompt& prompt, const WString& text) : prompt_(prompt) {
    prompt_.SetStatusText(text);
  }
  ~StatusScope() { prompt_.SetStatusText({}); }
  StatusScope(const StatusScope&) = delete;
  StatusScope& operator=(const StatusScope&) = delete;

 private:
  Prompt& prompt_;
};

bool IsFile(const WString& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(text::ToPath(path), ec);
}

// The name the server update file is written under: ClientXML, or
// UpdateFiles.xml when it is empty.
WString ServerFileName(const ProjectSettings& settings) {
  const WString& name = settings.RawValue(SettingKey::ClientXML);
  return name.empty() ? WString(u"UpdateFiles.xml") : name;
}

}  // namespace

BuildCommands::BuildCommands(ProjectDocument& document, ReleasePanes& panes,
                             ClientBuilder& builder, ProcessStarter& starter, Prompt& prompt)
    : document_(document), panes_(panes), builder_(builder), starter_(starter), prompt_(prompt) {}

void BuildCommands::ShowError(const WString& caption, const WString& text) {
  prompt_.ShowMessage(caption, text, MessageIcon::Error);
}

bool BuildCommands::PanesInvalid() { return panes_.ValidateAndStore(true); }

CommandOutcome BuildCommands::Refuse(const FieldId& item, const WString& message) {
  prompt_.ShowBalloon(item, kInvalidParametersCaption, message, MessageIcon::Error);
  return CommandOutcome::Refused;
}

CommandOutcome BuildCommands::BuildClientCommand() {
  if (PanesInvalid()) return CommandOutcome::Refused;
  const ProjectSettings& settings = document_.settings;
  auto empty = [&settings](SettingKey key) { return settings.RawValue(key).empty(); };
  const WString* message = nullptr;
  if (empty(SettingKey::ProjName)) message = &kNoProjectForClientMessage;
  else if (empty(SettingKey::HTTPLocationFiles)) message = &kNoFilesLocationMessage;
  else if (empty(SettingKey::HTTPLocationXML)) message = &kNoXmlLocationMessage;
  else if (empty(SettingKey::AppTitle)) message = &kNoAppTitleMessage;
  else if (empty(SettingKey::CompanyName)) message = &kNoCompanyNameMessage;
  else if (empty(SettingKey::AppVersion)) message = &kNoAppVersionMessage;
  if (message) return Refuse(kBuildClientItem, *message);

  const CommandOutcome outcome = RunBuildOutcome(BuildMode::BuildClient);
  if (outcome != CommandOutcome::Done) return outcome;
  prompt_.ShowBalloon(kBuildClientItem, kInformationCaption, kClientBuiltMessage,
                      MessageIcon::Information);
  if (showBuildSummary_) showBuildSummary_();
  return outcome;
}

CommandOutcome BuildCommands::BuildUpdateXmlCommand() {
  if (PanesInvalid()) return CommandOutcome::Refused;
  const ProjectSettings& settings = document_.settings;
  if (settings.RawValue(SettingKey::ProjName).empty())
    return Refuse(kBuildUpdateXmlItem, kNoProjectForUpdateXmlMessage);
  if (settings.RawValue(SettingKey::UpdateVersion).empty())
    return Refuse(kBuildUpdateXmlItem, kNoUpdateVersionMessage);

  const CommandOutcome outcome = RunBuildOutcome(BuildMode::BuildUpdateXml);
  if (outcome != CommandOutcome::Done) return outcome;
  prompt_.ShowBalloon(kBuildUpdateXmlItem, kInformationCaption, kUpdateXmlBuiltMessage,
                      MessageIcon::Information);
  if (showBuildSummary_) showBuildSummary_();
  return outcome;
}

CommandOutcome BuildCommands::PreviewCommand(bool fromPane) {
  if (PanesInvalid()) return CommandOutcome::Refused;
  const ProjectSettings& settings = document_.settings;
  const WString* message = nullptr;
  if (settings.RawValue(SettingKey::ProjName).empty()) message = &kNoProjectForPreviewMessage;
  else if (settings.RawValue(SettingKey::AppTitle).empty()) message = &kNoAppTitleMessage;
  else if (settings.RawValue(SettingKey::CompanyName).empty()) message = &kNoCompanyNameMessage;
  if (message) {
    if (fromPane) return Refuse(kPreviewClientItem, *message);
    ShowError(kUnableToPreviewCaption, *message);
    return CommandOutcome::Refused;
  }
  return RunBuildOutcome(BuildMode::Preview);
}

CommandOutcome BuildCommands::ViewFilesCommand() {
  if (!document_.HasProject()) {
    prompt_.ShowMessage(kViewFilesCaption, kNoProjectForViewMessage, MessageIcon::Information);
    return CommandOutcome::Refused;
  }
  return OpenProjectFolder();
}

bool BuildCommands::RunBuild(BuildMode mode) {
  return RunBuildOutcome(mode) == CommandOutcome::Done && mode != BuildMode::Preview;
}

CommandOutcome BuildCommands::RunBuildOutcome(BuildMode mode) {
  failureReason_.clear();
  StatusScope status(prompt_, kCreatingBuildStatus);
  BusyScope busy(prompt_);
  if (collectPages_) collectPages_();
  else panes_.ValidateAndStore(false);
  if (mode == BuildMode::BuildUpdateXml) return BuildServerFile();
  return BuildClientFile(mode);
}

std::optional<KeyInUse> BuildCommands::SigningKey(bool create, bool report) {
  std::string error;
  auto key = KeyForBuild(document_.settings.RawValue(SettingKey::ProjName), signingKeyFile_,
                         create, error);
  if (!key) {
    if (report && !error.empty()) {
      failureReason_ = error;
      ShowError(kErrorCaption, kSigningKeyError);
    }
    return std::nullopt;
  }
  if (key->created)
    prompt_.ShowMessage(kSigningKeyMadeCaption, SigningKeyMadeMessage(*key),
                        MessageIcon::Information);
  return key;
}

bool BuildCommands::SignServerFile(const KeyInUse& key, bool report) {
  std::string error;
  if (WriteServerFileSignature(text::ToPath(document_.ServerFilePath()),
                               document_.settings.RawValue(SettingKey::UpdateFilesDir), key.key,
                               SignedProductOf(document_.settings), error))
    return true;
  if (report) {
    failureReason_ = error;
    ShowError(kErrorCaption, kSignServerFileError);
  }
  return false;
}

CommandOutcome BuildCommands::BuildServerFile() {
  if (!SaveDocument(document_, XmlForm::ServerForm, {}, &failureReason_)) {
    ShowError(kErrorCaption, kBuildConfigurationError);
    return CommandOutcome::Failed;
  }
  SaveDocument(document_, XmlForm::ProjectForm);
  const auto key = SigningKey(true, true);
  if (!key || !SignServerFile(*key, true)) return CommandOutcome::Failed;
  const std::filesystem::path serverFile = text::ToPath(document_.ServerFilePath());
  if (!releasePatcher_) {
    std::filesystem::path patchList = serverFile;
    patchList += std::string(signing::kPatchListSuffix);
    std::error_code ignored;
    std::filesystem::remove(patchList, ignored);
    return CommandOutcome::Done;
  }
  if (!releasePatcher_(serverFile, document_.settings.RawValue(SettingKey::UpdateFilesDir), key->key,
                       failureReason_)) {
    ShowError(kErrorCaption, kReleasePatchesError);
    return CommandOutcome::Failed;
  }
  return CommandOutcome::Done;
}

CommandOutcome BuildCommands::BuildClientFile(BuildMode mode) {
  // A build makes the project's key when it has none; a preview uses one
  // that is there and makes none.
  const bool build = mode == BuildMode::BuildClient;
  const auto key = SigningKey(build, build);
  if (build && !key) return CommandOutcome::Failed;
  // Settings and key are one edit and one write of the client.
  ClientBuildResult result;
  if (!builder_.BuildClient(document_.ClientExecutablePath(), document_.settings,
                            document_.variables, key ? &key->key.pair.publicKey : nullptr,
                            SignCommandFor(signCommand_), result)) {
    failureReason_ = result.reason;
    switch (result.failure) {
      case ClientBuildResult::Failure::NoClient:
        ShowError(kErrorCaption, kCreateClientError);
        break;
      case ClientBuildResult::Failure::Signing:
        ShowError(kSignClientCaption, kSignClientError);
        break;
      case ClientBuildResult::Failure::Resources:
      case ClientBuildResult::Failure::None:
        ShowError(kResourceUpdateErrorCaption, kSaveResourcesError);
        break;
    }
    return CommandOutcome::Failed;
  }
  if (build) {
    // The client is built whatever the project save reports.
    SaveDocument(document_, XmlForm::ProjectForm);
    return CommandOutcome::Done;
  }
  return StartPreview();
}

CommandOutcome BuildCommands::StartPreview() {
  // A failure here is not reported: the check below finds an earlier file
  // or reports the missing one. A rewritten file is signed again when the
  // project has a key, so its signature file never lags behind.
  if (SaveDocument(document_, XmlForm::ServerForm))
    if (const auto key = SigningKey(false, false)) SignServerFile(*key, false);
  if (document_.settings.RawValue(SettingKey::UpdateType) == u"Silent") {
    prompt_.ShowMessage({}, kSilentPreviewMessage, MessageIcon::Information);
    return CommandOutcome::Refused;
  }
  // The file checked and the name passed are those the server update file
  // was just written under.
  const WString serverFile = document_.ServerFilePath();
  if (!IsFile(serverFile)) {
    prompt_.ShowMessage(kMissingFileCaption, kMissingUpdateFileMessage + serverFile,
                        MessageIcon::Information);
    return CommandOutcome::Failed;
  }
  // The file name travels as one argument: the client reads the rest of its
  // command line as the name, and a name with blanks must reach it whole.
  return StartProgram(document_.ClientExecutablePath(),
                      {u"testMode", ServerFileName(document_.settings)}, document_.projectFolder);
}

CommandOutcome BuildCommands::StartProgram(const WString& program, std::vector<WString> arguments,
                                           const WString& workingDirectory) {
  switch (StartWindowsProgram(starter_, program, std::move(arguments), workingDirectory)) {
    case LaunchResult::Started:
      return CommandOutcome::Done;
    case LaunchResult::NoWine:
      ShowError(kErrorCaption, kWineMissingMessage + program);
      return CommandOutcome::Failed;
    case LaunchResult::NoFileBrowser:
    case LaunchResult::Failed:
      break;
  }
  ShowError(kErrorCaption, kStartFailedMessage + program);
  return CommandOutcome::Failed;
}

CommandOutcome BuildCommands::OpenProjectFolder() {
  if (SaveDocument(document_, XmlForm::ServerForm))
    if (const auto key = SigningKey(false, false)) SignServerFile(*key, false);
  const WString& folder = document_.projectFolder;
  switch (OpenFolderInBrowser(starter_, folder)) {
    case LaunchResult::Started:
      return CommandOutcome::Done;
    case LaunchResult::NoFileBrowser:
      ShowError(kErrorCaption, kNoFileBrowserMessage + folder);
      return CommandOutcome::Failed;
    case LaunchResult::NoWine:
    case LaunchResult::Failed:
      break;
  }
  ShowError(kErrorCaption, kStartFailedMessage + folder);
  return CommandOutcome::Failed;
}

CommandOutcome BuildCommands::CheckForUpdateNow() {
  const WString updater = ProductUpdaterPath(builder_.ToolFolder());
  if (!IsFile(updater)) {
    ShowError(kErrorCaption, kUpdaterMissingMessage);
    return CommandOutcome::Failed;
  }
  return StartProgram(updater, {u"CheckNow"}, builder_.ToolFolder());
}

}  // namespace tidewell
