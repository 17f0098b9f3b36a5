target_sources(tidewell-core PRIVATE
  project/XmlText.cpp
  project/ProjectSettings.cpp
)
