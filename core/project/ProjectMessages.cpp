#include "project/ProjectMessages.h"

namespace tidewell {

WString SaveChangesQuestion(const WString& projectName) {
  return u"Do you want to save changes to '" + projectName + u"'?";
}

}  // namespace tidewell
