#pragma once

namespace tidewell {

// The two documents every list writer can produce.
enum class XmlForm : int {
  ServerForm = 0,   // the server update file, with measured values
  ProjectForm = 1,  // the project file, Settings.xml
};

}  // namespace tidewell
