#include "build/ClientBuilder.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "build/BitmapResource.h"
#include "build/ClientSigning.h"
#include "build/ClientStringTable.h"
#include "build/IconCatalogue.h"
#include "build/ToolFolder.h"
#include "pe/MappedFile.h"
#include "pe/PeResourceReader.h"
#include "pe/ResourceUpdate.h"
#include "platform/AtomicFile.h"
#include "platform/Prompt.h"
#include "project/ProjectDocument.h"
#include "signing/UpdateKey.h"
#include "text/Text.h"
#include "platform/HostPath.h"

namespace tidewell {

namespace fs = std::filesystem;

ClientBuilder::ClientBuilder(Prompt& prompt, WString toolFolder)
    : prompt_(prompt), toolFolder_(std::move(toolFolder)) {}

void ClientBuilder::ShowError(const WString& text) {
  prompt_.ShowMessage(kErrorCaption, text, MessageIcon::Error);
}

bool ClientBuilder::Commit(pe::ResourceUpdate& update, std::string* error) {
  pe::CommitResult result;
  std::string reason;
  if (!update.Commit(&result, error ? error : &reason)) return false;
  if (result.signatureRemoved) ReportRemovedSignature(false);
  return true;
}

void ClientBuilder::ReportRemovedSignature(bool signedAgain) {
  prompt_.ShowMessage(kSignatureRemovedCaption,
                      signedAgain ? kSignatureRenewedMessage : kSignatureRemovedMessage,
                      MessageIcon::Warning);
}

bool ClientBuilder::BuildClient(const WString& clientPath, const ProjectSettings& settings,
                                const VariableList& variables, const signing::PublicKey* key,
                                const std::string& signCommand, ClientBuildResult& result) {
  using Failure = ClientBuildResult::Failure;
  result = {};
  auto fail = [&result](Failure failure) {
    result.failure = failure;
    return false;
  };
  if (!signCommand.empty()) {
    result.reason = SignCommandProblem(signCommand);
    if (!result.reason.empty()) return fail(Failure::Signing);
  }
  const fs::path client = text::ToPath(clientPath);
  std::error_code ec;
  // The edit reads the existing client, with everything earlier builds,
  // pictures and icons put into it, or the stub the first time.
  fs::path source = client;
  if (fs::exists(SystemPath(client), ec)) {
    if (!fs::is_regular_file(SystemPath(client), ec)) {
      result.reason = client.string() + " is not a regular file";
      return fail(Failure::NoClient);
    }
  } else {
    source = text::ToPath(StubPath(toolFolder_));
    // The message itself says that files may be missing.
    if (!fs::is_regular_file(SystemPath(source), ec)) return fail(Failure::NoClient);
    if (client.has_parent_path()) {
      fs::create_directories(SystemPath(client.parent_path()), ec);
      if (ec) {
        result.reason = "cannot create " + client.parent_path().string() + ": " + ec.message();
        return fail(Failure::NoClient);
      }
    }
  }
  const auto table = ClientStringTable::FromSettings(settings, variables).Encode();
  if (!table) return fail(Failure::Resources);

  pe::CommitResult committed;
  auto edit = [&](const fs::path& target) {
    auto update = pe::ResourceUpdate::Begin(source, target, &result.reason);
    if (!update) return false;
    update->Update(pe::kTypeString, kClientStringBlock, kClientResourceLanguage, *table);
    if (key)
      update->Update(signing::kUpdateKeyResourceType, signing::kUpdateKeyResourceId,
                     kClientResourceLanguage, signing::UpdateKeyResource(*key));
    return update->Commit(&committed, &result.reason);
  };
  // A first client that cannot be written was not made; a later one keeps
  // its previous resources.
  const Failure notWritten = source == client ? Failure::Resources : Failure::NoClient;
  if (signCommand.empty()) {
    if (!edit(client)) return fail(notWritten);
  } else {
    bool edited = false;
    const bool written = WriteSignedFile(client, signCommand, [&](const fs::path& unsignedFile) {
      return edited = edit(unsignedFile);
    }, &result.reason);
    if (!written) return fail(edited ? Failure::Signing : notWritten);
    result.signedClient = true;
  }
  result.signatureRemoved = committed.signatureRemoved;
  if (result.signatureRemoved) ReportRemovedSignature(result.signedClient);
  return true;
}

bool ClientBuilder::EnsureClientExecutable(const ProjectDocument& document, std::string* error) {
  return EnsureClientExecutable(document.ClientExecutablePath(), error);
}

bool ClientBuilder::EnsureClientExecutable(const WString& clientPath, std::string* error) {
  const fs::path client = SystemPath(text::ToPath(clientPath));
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  std::error_code ec;
  if (fs::exists(client, ec))
    return fs::is_regular_file(client, ec) || fail(client.string() + " is not a regular file");

  const fs::path stub = SystemPath(text::ToPath(StubPath(toolFolder_)));
  // The message itself says that files may be missing.
  if (!fs::is_regular_file(stub, ec)) return false;
  if (client.has_parent_path()) {
    fs::create_directories(client.parent_path(), ec);
    if (ec) return fail("cannot create " + client.parent_path().string() + ": " + ec.message());
  }
  // Copied under a temporary name and renamed, so a copy that fails half way
  // leaves no client behind. The copy is made writable for its owner: a tool
  // installed read-only would otherwise hand on a client that no build can
  // write its settings into, and that is never copied afresh.
  return ReplaceFileAtomically(
      client,
      [&](const fs::path& temporary) {
        if (!CopyFileContents(stub, temporary, error)) return false;
        std::error_code ec;
        fs::permissions(temporary, fs::status(stub, ec).permissions() | fs::perms::owner_write,
                        ec);
        return !ec;
      },
      error);
}

bool ClientBuilder::WriteClientSettings(const WString& clientPath, const ProjectSettings& settings,
                                        const VariableList& variables, std::string* error) {
  auto update = pe::ResourceUpdate::Begin(text::ToPath(clientPath), error);
  if (!update) return false;
  const auto bytes = ClientStringTable::FromSettings(settings, variables).Encode();
  if (!bytes) return false;
  if (!update->Update(pe::kTypeString, kClientStringBlock, kClientResourceLanguage, *bytes))
    return false;
  return Commit(*update, error);
}

bool ClientBuilder::WriteClientKey(const WString& clientPath, const signing::PublicKey& key,
                                   std::string* error) {
  auto update = pe::ResourceUpdate::Begin(text::ToPath(clientPath), error);
  if (!update) return false;
  if (!update->Update(signing::kUpdateKeyResourceType, signing::kUpdateKeyResourceId,
                      kClientResourceLanguage, signing::UpdateKeyResource(key)))
    return false;
  return Commit(*update, error);
}

bool ClientBuilder::WriteClientBitmap(const WString& clientPath, const WString& bitmapPath,
                                      uint16_t id) {
  const fs::path bitmap = SystemPath(text::ToPath(bitmapPath));
  std::error_code ec;
  if (!fs::is_regular_file(bitmap, ec) || !std::ifstream(bitmap, std::ios::binary)) {
    ShowError(kBitmapOpenError);
    return false;
  }
  auto file = pe::MappedFile::Open(bitmap, nullptr);
  if (!file) {
    ShowError(kBitmapMappingError);
    return false;
  }
  auto update = pe::ResourceUpdate::Begin(text::ToPath(clientPath), nullptr);
  if (!update) {
    ShowError(kClientOpenForUpdateError);
    return false;
  }
  const auto bytes = file->Bytes();
  const BitmapResource resource = BitmapResourceFromFile(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  file.reset();
  switch (resource.status) {
    case BitmapResource::Status::TooShort:
      return false;
    case BitmapResource::Status::NotABitmap:
      ShowError(kNotABitmapError);
      return false;
    case BitmapResource::Status::Ok:
      break;
  }
  if (!update->Update(pe::kTypeBitmap, id, kClientResourceLanguage, resource.bytes)) {
    ShowError(kBitmapUpdateError);
    return false;
  }
  if (!Commit(*update)) {
    ShowError(kBitmapCloseError);
    return false;
  }
  return true;
}

bool ClientBuilder::CopyClientIcon(const WString& clientPath, const WString& sourceModule,
                                   const WString& iconName, uint16_t targetId) {
  return CopyClientIcons(clientPath, sourceModule, {{iconName, targetId}});
}

bool ClientBuilder::CopyClientIcons(const WString& clientPath, const WString& sourceModule,
                                    const std::vector<IconCopy>& icons) {
  std::vector<std::string> images;
  {
    const auto source = pe::PeResourceReader::Open(text::ToPath(sourceModule), nullptr);
    if (!source) {
      ShowError(kIconLibraryError);
      return false;
    }
    for (const IconCopy& copy : icons) {
      auto icon = source->Find(pe::ResourceId::Integer(pe::kTypeIcon), copy.iconName);
      // Bytes that are no icon image would leave the client without a usable icon.
      if (!icon || !IconImageSizeOf(icon->bytes)) {
        ShowError(kIconNotFoundError);
        return false;
      }
      images.push_back(std::move(icon->bytes));
    }
  }
  auto update = pe::ResourceUpdate::Begin(text::ToPath(clientPath), nullptr);
  if (!update) {
    ShowError(kIconClientError + clientPath);
    return false;
  }
  for (size_t i = 0; i < icons.size(); ++i)
    update->Update(pe::kTypeIcon, icons[i].targetId, kClientResourceLanguage, images[i]);
  if (!Commit(*update)) {
    ShowError(kIconCommitError);
    return false;
  }
  return true;
}

}  // namespace tidewell
