#pragma once

#include <cstdint>

#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class ClientBuilder;
class ProjectDocument;

// The two pictures of the client: the main picture is bitmap 208, the top
// picture bitmap 205.
enum class ClientPicture { Main, Top };

inline const WString kNoProjectForGraphicsMessage =
    u"No project exists. Create a new project or save the existing file first.";
// The "Main", "Top" and "Icon" buttons of the client behaviours page.
inline const FieldId kMainPictureButtonField = "clientBehaviours.mainPicture";
inline const FieldId kTopPictureButtonField = "clientBehaviours.topPicture";
inline const FieldId kIconButtonField = "clientBehaviours.icon";

uint16_t PictureResourceId(ClientPicture picture);
// Where the picture choice starts: Graphics/Main Picture or Graphics/Top
// Picture beside the tool.
WString PictureStartFolder(const WString& toolFolder, ClientPicture picture);

// Checked before a picture or the icons are chosen: without a project the
// balloon is shown at the button and the answer is false.
bool CheckProjectForGraphics(const ProjectDocument& document, const FieldId& button,
                             Prompt& prompt);

// Writes the chosen .bmp file into the client as the given picture: makes
// sure the client exists (its answer is not looked at: a missing client is
// reported by the write), then writes the bitmap. Failures are shown by the
// client builder.
bool WriteChosenPicture(const ProjectDocument& document, ClientBuilder& builder,
                        ClientPicture picture, const WString& bitmapPath);

}  // namespace tidewell
