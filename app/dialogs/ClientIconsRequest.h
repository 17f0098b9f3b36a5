#pragma once

#include "text/WString.h"

namespace tidewell {
class ClientBuilder;
class ProjectDocument;
}  // namespace tidewell

namespace tidewell::app {

struct PageServices;

// The icon selection on `source` (an empty source: the default module) and,
// after OK, the chosen large and small images copied into the client.
void RunIconSelection(PageServices& services, const ProjectDocument& document,
                      ClientBuilder& builder, const WString& source);

// The set-client-icons request: a project must exist and the client must be
// there (each refusal in a message box), then the icon selection on
// `source`. The main window runs it for PageServices::setClientIcons.
void SetClientIcons(PageServices& services, const ProjectDocument& document,
                    const WString& source);
// The same with the client made from the stub in `toolFolder`.
void SetClientIcons(PageServices& services, const ProjectDocument& document,
                    const WString& source, const WString& toolFolder);

}  // namespace tidewell::app
