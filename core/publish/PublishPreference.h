#pragma once

#include "publish/ReleaseJobs.h"
#include "text/WString.h"

namespace tidewell {
class Preferences;
}

namespace tidewell::publish {

// Where the desktop tool publishes a project (the targets, the SSH key, the
// S3 endpoint, whether to prune), kept per project in the user's
// preferences, never in the project file, which is shared and published:
// group "Publish Targets", named by the SHA-256 of the project file's path.
PublishRequest ReadPublishPreference(const Preferences& preferences, const WString& projectFile);
// False when the store refuses.
bool WritePublishPreference(Preferences& preferences, const WString& projectFile,
                            const PublishRequest& request);

}  // namespace tidewell::publish
