#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "build/CommandOutcome.h"
#include "platform/Prompt.h"
#include "signing/ProjectKey.h"
#include "text/WString.h"

namespace tidewell {

class ClientBuilder;
class ProcessStarter;
class ProjectDocument;
class ReleasePanes;

// What a build request makes.
enum class BuildMode : int { BuildClient = 0, BuildUpdateXml = 1, Preview = 2 };

// The items of the release group, where the balloons of the commands point.
inline const FieldId kPreviewClientItem = "release.previewClient";
inline const FieldId kBuildClientItem = "release.buildClient";
inline const FieldId kBuildUpdateXmlItem = "release.buildUpdateXml";
inline const FieldId kViewFilesItem = "release.viewFiles";

inline const WString kCreatingBuildStatus = u"Please wait... creating build";

// Refusals of the build commands.
inline const WString kNoProjectForClientMessage =
    u"No project exists!\r\n\r\nTo build the update executable a project must exist.\r\nStart a "
    u"new project or save the existing workspace to continue.";
inline const WString kNoProjectForUpdateXmlMessage =
    u"No project exists! \r\n\r\nTo build the update XML file a project must exist.\r\nStart a "
    u"new project or save the existing workspace to continue.";
inline const WString kNoProjectForPreviewMessage = kNoProjectForClientMessage + u"\r\n";
inline const WString kNoFilesLocationMessage =
    u"No value was specified for the HTTP location of the update files. Correct the client "
    u"settings. Build will not continue.";
inline const WString kNoXmlLocationMessage =
    u"No value was specified for the HTTP location of the XML update file. Correct the client "
    u"settings. Build will not continue.";
inline const WString kNoAppTitleMessage =
    u"No value was specified for the Application Title. Build will not continue.";
inline const WString kNoCompanyNameMessage =
    u"No value was specified for the Company Name. Build will not continue.";
inline const WString kNoAppVersionMessage =
    u"No value was specified for the Application Version. This value is necessary to know when "
    u"updates are required. Set this value by clicking on 'Version Configuration'. Build will not "
    u"continue.";
inline const WString kNoUpdateVersionMessage =
    u"No value was specified for the Update Version. This value is necessary to know when "
    u"updates are required. Set this value by clicking on 'Version Configuration'. Build will not "
    u"continue.";
inline const WString kUnableToPreviewCaption = u"Unable to preview";
inline const WString kViewFilesCaption = u"View files";
inline const WString kNoProjectForViewMessage = u"No project exists. There are no files to view.";

// Successes (the information balloon).
inline const WString kClientBuiltMessage =
    u"The Tidewell client launcher was successfully built. Use this executable to launch your "
    u"application. Click 'View files' for output files.\r\n\r\nFor corporate usage you may also "
    u"need to utilize the update service to avoid problems with highly-restricted clients. "
    u"Details are on the Tidewell web site, https://tidewell.example.com/support.";
inline const WString kUpdateXmlBuiltMessage =
    u"The update XML file is ready for usage. Place it on the update server together with the "
    u"update files. Click 'View files' for output files.";

// Failures of a build request.
inline const WString kBuildConfigurationError =
    u"Errors occured while trying to build the current configuration.";
inline const WString kCreateClientError =
    u"Error creating client executable. Some files may be missing or corrupt.";
inline const WString kResourceUpdateErrorCaption = u"Resource update error";
inline const WString kSaveResourcesError = u"An error occured when trying to save resources.";
inline const WString kSilentPreviewMessage =
    u"The settings are for a silent update. There is nothing to see!";
inline const WString kMissingFileCaption = u"Missing file";
inline const WString kMissingUpdateFileMessage =
    u"Unable to show preview. The update file is missing:\r\n";  // + path
inline const WString kUpdaterMissingMessage =
    u"Error: Unable to check for updates because the update client is missing.";

// Signing of the server update file and the client's key.
inline const WString kSigningKeyError =
    u"The signing key could not be read or made, so nothing was signed.";
inline const WString kSignServerFileError =
    u"The update XML file was written, but it could not be signed. Clients that carry a "
    u"signing key will refuse it.";
inline const WString kReleasePatchesError =
    u"The update XML file was written and signed, but its patches could not be made. Clients "
    u"download whole files.";

// Signing of the client by the publisher's command.
inline const WString kSignClientCaption = u"Client not signed";
inline const WString kSignClientError =
    u"The client could not be signed, so the previous client was kept. The sign command's "
    u"output follows.";

// Where a program cannot be started on this host.
inline const WString kWineMissingMessage =
    u"Windows programs are started through Wine on this system, and Wine was not found. Install "
    u"Wine to run:\r\n";  // + path
inline const WString kStartFailedMessage = u"The program could not be started:\r\n";  // + path
inline const WString kNoFileBrowserMessage =
    u"No file browser was found to show the project folder (xdg-open is missing). The files "
    u"are in:\r\n";  // + folder

// The build commands of the release page and the requests the application
// shell runs for them. Each command checks the release panes and the
// settings it needs, then runs the build request; every refusal, failure and
// success reaches the user through the prompt.
class BuildCommands {
 public:
  // Stores every page's fields into the settings without balloons. Without
  // one, only the release panes are collected.
  using CollectPages = std::function<void()>;
  // Shows the build summary pane after a successful build.
  using ShowBuildSummary = std::function<void()>;
  // Makes the patches from earlier releases of the signed server file, and
  // their list beside it; false with the reason.
  using ReleasePatcher = std::function<bool(const std::filesystem::path& serverFile,
                                            const WString& updateFilesDir, const tidewell::SigningKey& key,
                                            std::string& error)>;

  BuildCommands(ProjectDocument& document, ReleasePanes& panes, ClientBuilder& builder,
                ProcessStarter& starter, Prompt& prompt);

  void SetCollectPages(CollectPages collect) { collectPages_ = std::move(collect); }
  void SetShowBuildSummary(ShowBuildSummary show) { showBuildSummary_ = std::move(show); }
  // The key file builds sign with instead of the project's own key (a
  // pipeline's --key); empty: the environment's, else the project's.
  void SetSigningKeyFile(WString file) { signingKeyFile_ = std::move(file); }
  // The command that signs the built client ({file}, and {signed} for a
  // signed copy); empty: the one TIDEWELL_SIGN_COMMAND names, if any.
  void SetSignCommand(std::string command) { signCommand_ = std::move(command); }
  // Run after the server file is signed. Without one, a patch list left
  // beside the server file by an earlier build is removed: it no longer
  // names this release.
  void SetReleasePatcher(ReleasePatcher patcher) { releasePatcher_ = std::move(patcher); }

  CommandOutcome BuildClientCommand();
  CommandOutcome BuildUpdateXmlCommand();
  // `fromPane`: refusals as balloons at the item; from the menu, in a
  // message box captioned "Unable to preview". Done when the client started.
  CommandOutcome PreviewCommand(bool fromPane);
  CommandOutcome ViewFilesCommand();
  // Starts the product's own updater beside the tool with "CheckNow".
  CommandOutcome CheckForUpdateNow();

  // The build request: true when the client or the update XML file was
  // built; a preview always answers false.
  bool RunBuild(BuildMode mode);
  // The same, with how it ended: a preview that started the client is Done,
  // one stopped by a silent update is Refused.
  CommandOutcome RunBuildOutcome(BuildMode mode);
  // Rewrites the server update file (a failure is not reported), then shows
  // the project folder.
  CommandOutcome OpenProjectFolder();

  // Why the last build failed to write its file (the file and the system's
  // reason), shown after the build's own message; empty when it gave none.
  const std::string& FailureReason() const { return failureReason_; }

 private:
  bool PanesInvalid();
  CommandOutcome Refuse(const FieldId& item, const WString& message);
  CommandOutcome BuildServerFile();
  CommandOutcome BuildClientFile(BuildMode mode);
  CommandOutcome StartPreview();
  CommandOutcome StartProgram(const WString& program, std::vector<WString> arguments,
                              const WString& workingDirectory);
  void ShowError(const WString& caption, const WString& text);
  // The key of this build; made for the project when `create` and it has
  // none, with a note where it is. A failure is shown when `report`.
  std::optional<KeyInUse> SigningKey(bool create, bool report);
  // Signs the server update file just written.
  bool SignServerFile(const KeyInUse& key, bool report);

  ProjectDocument& document_;
  ReleasePanes& panes_;
  ClientBuilder& builder_;
  ProcessStarter& starter_;
  Prompt& prompt_;
  CollectPages collectPages_;
  ShowBuildSummary showBuildSummary_;
  WString signingKeyFile_;
  std::string signCommand_;
  ReleasePatcher releasePatcher_;
  std::string failureReason_;
};

}  // namespace tidewell
