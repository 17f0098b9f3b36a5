#include "build/IconSelection.h"

#include <algorithm>

#include "build/ClientBuilder.h"
#include "build/ClientStringTable.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell {

namespace {

// Resource names are looked up without regard to case, so a name typed in
// another case still names the listed image.
bool Lists(const std::vector<WString>& list, const WString& name) {
  return std::any_of(list.begin(), list.end(),
                     [&name](const WString& listed) { return text::EqualsNoCase(listed, name); });
}

WString NotListedMessage(const WString& name, std::u16string_view size, const WString& source) {
  return u"The icon " + name + u" is not a " + WString(size) + u" icon image of " + source + u".";
}

}  // namespace

bool ValidateIconChoice(const IconCatalogue& catalogue, const IconChoice& choice, Prompt& prompt) {
  if (choice.large.empty() || choice.small.empty()) {
    prompt.ShowBalloon(kIconSelectionOkField, kInvalidParametersCaption, kChooseBothIconsMessage,
                       MessageIcon::Error);
    return false;
  }
  if (!Lists(catalogue.large, choice.large)) {
    prompt.ShowBalloon(kLargeIconListField, kInvalidParametersCaption,
                       NotListedMessage(choice.large, u"32 x 32", choice.source),
                       MessageIcon::Error);
    return false;
  }
  if (!Lists(catalogue.small, choice.small)) {
    prompt.ShowBalloon(kSmallIconListField, kInvalidParametersCaption,
                       NotListedMessage(choice.small, u"16 x 16", choice.source),
                       MessageIcon::Error);
    return false;
  }
  return true;
}

CommandOutcome PrepareClientIcons(const ProjectDocument& document, ClientBuilder& builder,
                                  Prompt& prompt) {
  if (!document.HasProject()) {
    prompt.ShowMessage(kErrorCaption, kNoProjectForIconsMessage, MessageIcon::Error);
    return CommandOutcome::Refused;
  }
  if (!builder.EnsureClientExecutable(document)) {
    prompt.ShowMessage(kErrorCaption, kClientForIconsError, MessageIcon::Error);
    return CommandOutcome::Failed;
  }
  return CommandOutcome::Done;
}

bool ReplaceClientIcons(ClientBuilder& builder, const WString& clientPath,
                        const IconChoice& choice) {
  return builder.CopyClientIcons(clientPath, choice.source,
                                 {{choice.large, kLargeIconId}, {choice.small, kSmallIconId}});
}

}  // namespace tidewell
