target_sources(tidewell-core PRIVATE
  build/BitmapPreview.cpp
  build/BitmapResource.cpp
  build/BuildCommands.cpp
  build/BuildSummaryPane.cpp
  build/ClientBuilder.cpp
  build/ClientPicture.cpp
  build/ClientSigning.cpp
  build/ClientStringTable.cpp
  build/FileConfigurationPane.cpp
  build/HostProcessStarter.cpp
  build/IconCatalogue.cpp
  build/IconSelection.cpp
  build/ProgramLaunch.cpp
  build/ProjectPages.cpp
  build/ReleasePanes.cpp
  build/ServerFileSignature.cpp
  build/SettingAssignment.cpp
  build/SignCommandPreference.cpp
  build/SigningKeyCommands.cpp
  build/ToolFolder.cpp
  build/VersionConfigurationPane.cpp
  build/VersionValue.cpp
)
target_sources(tidewell-core PRIVATE
  build/ClientPage.cpp
  build/ClientBehaviours.cpp
)
