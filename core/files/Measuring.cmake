target_sources(tidewell-core PRIVATE
  files/FileInfo.cpp
  files/FileStatus.cpp
  files/FileTime.cpp
  files/ZipArchive.cpp
  files/ZipDirectory.cpp
  files/ZipFileReading.cpp
)
