#pragma once

#include <array>
#include <functional>
#include <string_view>

#include "files/FileSelection.h"
#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class ProjectSettings;

// Texts of the client page.
inline const WString kClientPageHeader = u"General settings and configuration";
inline const WString kClientPageSubHeader =
    u"Set the appropriate configurations for your Tidewell client. Package and deploy this "
    u"client with your main application.";
inline const WString kServerInformationGroup = u"Server information:";
inline const WString kGeneralInformationGroup = u"General information:";
inline const WString kRequestXmlLabel = u"HTTP request string for XML file:";
inline const WString kFilesLocationLabel = u"HTTP location of update files:";
inline const WString kCompanyNameLabel = u"Company name:";
inline const WString kAppTitleLabel = u"Title of application:";
inline const WString kExecutableLabel = u"Name of executable:";
inline const WString kSelectMainExecutableTitle = u"Select name of main executable";
inline constexpr std::array<FileFilter, 2> kMainExecutableFilters = {{
    {u"Executable Files (*.exe)", u"*.exe"},
    {u"All Files (*.*)", u"*.*"},
}};
inline const WString kAutomaticIconCaption = u"Automatic icon setting";

// "Do you want to set the icons of the Tidewell client to be the same as the
// icons of " + file name + "?"
WString AutomaticIconQuestion(const WString& fileName);

// The reference a chosen variable name becomes in the request string.
WString VariableReference(std::u16string_view name);

// The client page: the server addresses and the application's names. No
// value is refused here; the build commands require what they need.
class ClientPage {
 public:
  struct Fields {
    WString requestXml;     // HTTPLocationXML, variable references kept as typed
    WString filesLocation;  // HTTPLocationFiles
    WString companyName;
    WString appTitle;
    WString executable;
    bool operator==(const Fields&) const = default;
  };

  explicit ClientPage(ProjectSettings& settings) : settings_(settings) {}

  void LoadFromSettings();
  // Copies the five fields into the settings. Answers false: never invalid.
  bool ValidateAndStore(bool showBalloon);

  // "...": the chosen file's name (the part after its last separator) is
  // stored as the executable at once and shown in its field. Then the
  // automatic icon question; on Yes `setClientIcons` receives the full path,
  // which it hands to the set-client-icons request (project and client
  // checks, then the icon selection of that file). Answers the stored name.
  WString ChooseMainExecutable(const WString& chosenPath, Prompt& prompt,
                               const std::function<void(const WString& source)>& setClientIcons);

  Fields fields;

 private:
  ProjectSettings& settings_;
};

}  // namespace tidewell
