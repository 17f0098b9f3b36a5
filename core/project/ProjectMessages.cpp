#include "project/ProjectMessages.h"

#include "text/Text.h"

namespace tidewell {

WString SaveChangesQuestion(const WString& projectName) {
  return u"Do you want to save changes to '" + projectName + u"'?";
}

WString FaultDetail(const WString& path, const std::string& reason) {
  const WString why = text::FromUtf8(reason);
  if (why.empty()) return path;
  if (path.empty() || why.find(path) != WString::npos) return why;
  return path + u": " + why;
}

WString ChangedOnDiskQuestion(const WString& path) {
  return u"'" + path +
         u"' was changed by another program since it was loaded or last saved.\n\n"
         u"Reload it from disk (your changes are lost), overwrite it with your changes, or "
         u"cancel (nothing is written)?";
}

WString ReloadedStatus(const WString& path) {
  return u"'" + path + u"' was changed by another program and has been reloaded.";
}

WString ProjectInUseQuestion(const WString& path) {
  return u"'" + path +
         u"' is open in another window of Tidewell. Saving in both windows overwrites the other "
         u"window's changes.\n\nOpen it anyway?";
}

}  // namespace tidewell
