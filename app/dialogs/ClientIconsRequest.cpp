#include "dialogs/ClientIconsRequest.h"

#include "build/ClientBuilder.h"
#include "build/IconCatalogue.h"
#include "build/IconSelection.h"
#include "build/ToolFolder.h"
#include "dialogs/ClientImages.h"
#include "dialogs/IconSelectionDialog.h"
#include "project/ProjectDocument.h"
#include "shell/PageServices.h"

namespace tidewell::app {

void RunIconSelection(PageServices& services, const ProjectDocument& document,
                      ClientBuilder& builder, const WString& source) {
  const WString listed = source.empty() ? DefaultIconSource(builder.ToolFolder()) : source;
  IconSelectionDialog dialog(listed, services.prompt, services.fields, services.window);
  const ClientImages now = ReadClientImages(document.ClientExecutablePath());
  dialog.SetCurrentIcons(now.largeIcon, now.smallIcon);
  if (dialog.exec() != QDialog::Accepted) return;
  // A missing client is reported by the copy itself.
  builder.EnsureClientExecutable(document);
  ReplaceClientIcons(builder, document.ClientExecutablePath(), dialog.Choice());
}

void SetClientIcons(PageServices& services, const ProjectDocument& document,
                    const WString& source) {
  SetClientIcons(services, document, source, RunningToolFolder());
}

void SetClientIcons(PageServices& services, const ProjectDocument& document,
                    const WString& source, const WString& toolFolder) {
  ClientBuilder builder(services.prompt, toolFolder);
  if (PrepareClientIcons(document, builder, services.prompt) != CommandOutcome::Done) return;
  RunIconSelection(services, document, builder, source);
}

}  // namespace tidewell::app
