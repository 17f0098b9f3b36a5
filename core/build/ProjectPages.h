#pragma once

#include "build/ClientBehaviours.h"
#include "build/ClientPage.h"
#include "build/ReleasePanes.h"

namespace tidewell {

class ProjectSettings;
class Prompt;

// The pages whose fields are exchanged with the project settings, in the
// order the application shell exchanges them: the three release panes, the
// client page, the client behaviours page. The update-files page exchanges
// only the file selected in its tree and has no part here.
//
// Loading and then collecting is what a session does between opening a
// project and building it: the pages' rules put every value into the form
// the pages store (an update type spelt as listed, an unknown frequency or
// reprompt position as "-1"). The desktop tool binds its widgets to these
// fields; the command line runs the same exchange with no widget at all, so
// both build from the same settings.
class ProjectPages {
 public:
  ProjectPages(ProjectSettings& settings, Prompt& prompt)
      : release(settings, prompt), client(settings), behaviours(settings) {}

  // Every page loads its fields from the settings.
  void LoadPages();
  // Every page stores its fields into the settings, without balloons.
  void CollectPages();

  ReleasePanes release;
  ClientPage client;
  ClientBehavioursPage behaviours;
};

}  // namespace tidewell
