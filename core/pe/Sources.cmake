target_sources(tidewell-core PRIVATE
  pe/ByteReader.cpp
  pe/IconImage.cpp
  pe/MappedFile.cpp
  pe/PeImage.cpp
  pe/PeResourceReader.cpp
  pe/PeVersion.cpp
  pe/ResourceId.cpp
  pe/ResourceParser.cpp
)
