#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "signing/Ed25519.h"
#include "text/WString.h"

namespace tidewell {

class Prompt;
class ProjectDocument;
class ProjectSettings;
class VariableList;

namespace pe {
class ResourceUpdate;
}

// Messages of the client builder (caption "Error", error icon).
inline const WString kBitmapOpenError = u"Error opening file for operations.";
inline const WString kBitmapMappingError = u"Error creating file mapping.";
inline const WString kClientOpenForUpdateError = u"Error opening file for update.";
inline const WString kBitmapUpdateError = u"Error updating the resource.";
inline const WString kBitmapCloseError = u"Error closing resource.";
inline const WString kNotABitmapError =
    u"The chosen file is not a Windows bitmap (.bmp) that the client can show. The client was "
    u"not changed.";
inline const WString kIconLibraryError =
    u"Error opening library. This may not be a valid executable file.";
inline const WString kIconNotFoundError = u"Appropriate icon was not found in this file.";
inline const WString kIconClientError = u"Resource does not exist or has errors:\r\n";  // + path
inline const WString kIconCommitError = u"Error making resource changes";
// Shown after a change removed the client's digital signature.
inline const WString kSignatureRemovedCaption = u"Client signature removed";
inline const WString kSignatureRemovedMessage =
    u"The client executable was digitally signed. A signature cannot stay valid when the "
    u"client's resources change, so it was removed. Sign the client again before you ship it.";

// What one build of the client did, and why it failed where it did.
struct ClientBuildResult {
  enum class Failure { None, NoClient, Resources, Signing };
  Failure failure = Failure::None;
  std::string reason;  // the file and the system's reason, or the sign command's output
  bool signatureRemoved = false;  // the stub or the earlier client was signed
  bool signedClient = false;      // the sign command signed the client
};

inline const WString kSignatureRenewedMessage =
    u"The client executable was digitally signed. A signature cannot stay valid when the "
    u"client's resources change, so it was removed, and the client was signed again with the "
    u"sign command.";

// Makes the update client: a copy of the stub Tidewatch.exe from the tool
// folder, in the project folder under the client name, whose resources carry
// the client's settings, pictures and icons. Every change is a resource
// update of its own, completed before the operation returns; the file is
// replaced in one step, so a failed change leaves the client as it was.
// Failures of pictures and icons are shown here; the callers of the other two
// operations report theirs. The builder keeps no state between calls.
class ClientBuilder {
 public:
  // `toolFolder` is where the stub is found (RunningToolFolder() in the
  // tool; anywhere in a test).
  ClientBuilder(Prompt& prompt, WString toolFolder);

  // Makes sure a file exists at the client path: an existing client stays
  // as it is, with everything earlier builds wrote into it; otherwise the
  // stub is copied there (the folder is created when missing). A failed copy
  // leaves no client file. Shows nothing; `error` receives the reason of a
  // failure where there is one.
  bool EnsureClientExecutable(const WString& clientPath, std::string* error = nullptr);
  bool EnsureClientExecutable(const ProjectDocument& document, std::string* error = nullptr);

  // Writes the sixteen client strings from the current settings into
  // string-table block 1. Shows nothing but a removed signature; `error`
  // receives the reason of a failure where there is one.
  bool WriteClientSettings(const WString& clientPath, const ProjectSettings& settings,
                           const VariableList& variables, std::string* error = nullptr);

  // Writes the publisher's public key as the client's update key resource
  // (RCDATA 300), so that the client accepts only updates signed with it.
  // Shows nothing but a removed signature.
  bool WriteClientKey(const WString& clientPath, const signing::PublicKey& key,
                      std::string* error = nullptr);

  // One build of the client, written once: its settings and, with a `key`,
  // the update key, edited into the existing client, or into a copy of the
  // stub when there is none, and written in one step. With a `signCommand`
  // the complete client is signed by it before it replaces the previous one
  // (see WriteSignedFile). Shows nothing but a removed signature; a failure
  // leaves the previous client as it was.
  bool BuildClient(const WString& clientPath, const ProjectSettings& settings,
                   const VariableList& variables, const signing::PublicKey* key,
                   const std::string& signCommand, ClientBuildResult& result);

  // Writes a .bmp file as bitmap `id` (208 main picture, 205 top picture):
  // the file without its 14-byte file header. A file shorter than that fails
  // without a message; a file that is not a bitmap fails with a message.
  bool WriteClientBitmap(const WString& clientPath, const WString& bitmapPath, uint16_t id);

  // Copies the icon image `iconName` ("#id" or a string name) of the module
  // `sourceModule`, unchanged, into the client as icon image `targetId`.
  bool CopyClientIcon(const WString& clientPath, const WString& sourceModule,
                      const WString& iconName, uint16_t targetId);
  // Several icon images of one module in one edit and one write: all of
  // them, or (on any failure, shown as above) none.
  struct IconCopy {
    WString iconName;
    uint16_t targetId = 0;
  };
  bool CopyClientIcons(const WString& clientPath, const WString& sourceModule,
                       const std::vector<IconCopy>& icons);

  const WString& ToolFolder() const { return toolFolder_; }

 private:
  bool Commit(pe::ResourceUpdate& update, std::string* error = nullptr);
  void ReportRemovedSignature(bool signedAgain);
  void ShowError(const WString& text);

  Prompt& prompt_;
  WString toolFolder_;
};

}  // namespace tidewell
