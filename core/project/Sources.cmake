target_sources(tidewell-core PRIVATE
  project/XmlText.cpp
  project/ProjectSettings.cpp
  project/ProjectDocument.cpp
  project/DocumentWriter.cpp
  project/DocumentReader.cpp
)
