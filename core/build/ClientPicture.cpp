#include "build/ClientPicture.h"

#include "build/ClientBuilder.h"
#include "build/ClientStringTable.h"
#include "build/ToolFolder.h"
#include "project/ProjectDocument.h"

namespace tidewell {

uint16_t PictureResourceId(ClientPicture picture) {
  return picture == ClientPicture::Main ? kMainPictureId : kTopPictureId;
}

WString PictureStartFolder(const WString& toolFolder, ClientPicture picture) {
  return picture == ClientPicture::Main ? MainPictureFolder(toolFolder)
                                        : TopPictureFolder(toolFolder);
}

bool CheckProjectForGraphics(const ProjectDocument& document, const FieldId& button,
                             Prompt& prompt) {
  if (document.HasProject()) return true;
  prompt.ShowBalloon(button, kInvalidParametersCaption, kNoProjectForGraphicsMessage,
                     MessageIcon::Error);
  return false;
}

bool WriteChosenPicture(const ProjectDocument& document, ClientBuilder& builder,
                        ClientPicture picture, const WString& bitmapPath) {
  builder.EnsureClientExecutable(document);
  return builder.WriteClientBitmap(document.ClientExecutablePath(), bitmapPath,
                                   PictureResourceId(picture));
}

}  // namespace tidewell
