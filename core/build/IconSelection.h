#pragma once

#include "build/CommandOutcome.h"
#include "build/IconCatalogue.h"
#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class ClientBuilder;
class ProjectDocument;

inline const WString kChooseBothIconsMessage =
    u"To change the Tidewell client icon you must click-and-select both a large and a small "
    u"icon.";
inline const WString kNoProjectForIconsMessage =
    u"To set the Tidewell client icons you must first create a new project or save the existing "
    u"one.";
inline const WString kClientForIconsError =
    u"Error creating client executable. Some files may be missing or corrupt. Icons were not "
    u"changed at this time.";
inline const FieldId kIconSelectionOkField = "iconSelection.ok";

// What the icon selection gives back on OK: the module listed and the names
// of the chosen large and small images.
struct IconChoice {
  WString source;
  WString large;
  WString small;
};

// The checks of OK in the icon selection: both images must be chosen, and
// each must be one the catalogue lists for its size (a name typed on the
// command line may not be). The first failure is shown as a balloon.
bool ValidateIconChoice(const IconCatalogue& catalogue, const IconChoice& choice, Prompt& prompt);

// The set-client-icons request before the selection opens: a project must
// exist (Refused otherwise) and the client executable must be there (it is
// copied from the stub when missing; Failed otherwise). Both are shown in
// message boxes.
CommandOutcome PrepareClientIcons(const ProjectDocument& document, ClientBuilder& builder,
                                  Prompt& prompt);

// After OK: the large image becomes icon image 1 and the small image icon
// image 2, in one write: both or, on a failure (reported by the copy), neither.
bool ReplaceClientIcons(ClientBuilder& builder, const WString& clientPath,
                        const IconChoice& choice);

}  // namespace tidewell
