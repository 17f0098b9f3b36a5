#include <filesystem>
#include <system_error>

#include "cli/Command.h"
#include "cli/Commands.h"
#include "project/ProjectDocument.h"
#include "signing/KeyPlace.h"
#include "signing/ProjectKey.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

namespace fs = std::filesystem;

void PrintKey(const fs::path& place, const signing::PublicKey& key) {
  PrintOut(u"Signing key: " + text::FromPath(place));
  PrintOut(u"Fingerprint: " + text::FromUtf8(signing::Fingerprint(key)));
}

class KeygenCommand final : public Command {
 public:
  const char* Name() const override { return "keygen"; }
  const char* Summary() const override {
    return "Make the signing key of a project (kept in the user's configuration folder, never "
           "in the project folder), or a key file for a build pipeline (--out). Prints where "
           "the key is and its fingerprint.";
  }
  void Configure(CLI::App& app) override {
    app.add_option("FILE", file_, "the project file (Settings.xml) whose key is made");
    app.add_option("--out", out_, "write a new key to this file instead (for --key or "
                                  "TIDEWELL_SIGNING_KEY); an existing file is never replaced");
    app.add_flag("--replace", replace_,
                 "replace the project's key with a new one; the old key signs the change, so "
                 "clients built with it move to the new key with the next signed update");
    app.add_option("--import", import_,
                   "make this key file the project's key (the old one signs the change)");
    app.add_flag("--show", show_, "only print where the project's key is and its fingerprint");
  }
  int Run() override {
    if (!out_.empty()) return WriteKeyFile();
    if (file_.empty()) {
      PrintError(std::string("keygen needs a project FILE or --out KEYFILE"));
      return kRefused;
    }
    CliPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    const WString& name = document->settings.RawValue(SettingKey::ProjName);
    std::string error;
    auto existing = ProjectKey(name, error);
    if (!error.empty()) {
      PrintError(error);
      return kFailed;
    }
    if (show_) {
      if (!existing) {
        PrintError("The project has no signing key yet; it gets one when it is first built: " +
                   ProjectKeyPath(name).string());
        return kFailed;
      }
      PrintKey(existing->place, existing->key.pair.publicKey);
      return kDone;
    }
    if (existing && !replace_ && import_.empty()) {
      PrintError("The project already has a signing key: " + existing->place.string() +
                 " (fingerprint " + signing::Fingerprint(existing->key.pair.publicKey) +
                 "). Use --replace to make a new one.");
      return kRefused;
    }
    std::optional<KeyInUse> key;
    if (!import_.empty()) {
      auto imported = LoadSigningKey(text::ToPath(FromArgument(import_)), error);
      if (imported) key = InstallProjectKey(name, imported->pair, error);
    } else {
      key = MakeProjectKey(name, error);
    }
    if (!key) {
      PrintError(error);
      return kFailed;
    }
    PrintKey(key->place, key->key.pair.publicKey);
    if (existing && existing->key.pair.publicKey != key->key.pair.publicKey)
      PrintOut(u"The previous key signed the change and was kept beside it.");
    PrintOut(u"Back up this file and keep it private: clients built with it accept only updates "
             u"signed with it.");
    return kDone;
  }

 private:
  int WriteKeyFile() {
    const fs::path place = text::ToPath(FromArgument(out_));
    std::error_code ec;
    if (fs::exists(fs::symlink_status(place, ec))) {
      PrintError("The file exists and is not replaced: " + place.string());
      return kRefused;
    }
    const auto pair = signing::GenerateKeyPair();
    std::string error;
    if (!pair || !SaveSigningKey(place, SigningKey{*pair, {}}, error)) {
      PrintError(error.empty() ? std::string("no random source was available") : error);
      return kFailed;
    }
    PrintKey(place, pair->publicKey);
    return kDone;
  }

  std::string file_, out_, import_;
  bool replace_ = false, show_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeKeygenCommand() { return std::make_unique<KeygenCommand>(); }

}  // namespace tidewell::cli
