target_sources(tidewell-core PRIVATE
  project/XmlText.cpp
  project/ProjectSettings.cpp
  project/ProjectDocument.cpp
  project/DocumentWriter.cpp
  project/DocumentReader.cpp
  project/XmlWellFormedness.cpp
  project/XmlParsedCheck.cpp
  project/XmlMemory.cpp
  project/XmlEncoding.cpp
  project/XmlEntities.cpp
  project/LoadFaults.cpp
)
target_sources(tidewell-core PRIVATE
  project/Preferences.cpp
  project/RecentList.cpp
  project/AutoShowLoad.cpp
  project/TitleRule.cpp
  project/ProjectDialogRules.cpp
  project/ProjectMessages.cpp
  project/UpdateServiceCopy.cpp
  project/Lifecycle.cpp
  project/EditHistory.cpp
  project/DiskStamp.cpp
)
