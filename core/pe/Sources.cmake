target_sources(tidewell-core PRIVATE
  pe/ByteReader.cpp
  pe/FilePlan.cpp
  pe/FileWriter.cpp
  pe/IconFile.cpp
  pe/IconImage.cpp
  pe/MappedFile.cpp
  pe/PeChecksum.cpp
  pe/PeImage.cpp
  pe/PeResourceReader.cpp
  pe/PeResourceWriter.cpp
  pe/PeVersion.cpp
  pe/ResourceEdit.cpp
  pe/ResourceId.cpp
  pe/ResourceParser.cpp
  pe/ResourceSectionBuilder.cpp
  pe/ResourceUpdate.cpp
)
