target_sources(tidewell-core PRIVATE
  files/ItemTree.cpp
  files/FileTree.cpp
  files/RecordPool.cpp
)
target_sources(tidewell-core PRIVATE
  files/TreePath.cpp
  files/ClientFileNames.cpp
  files/ClientPaths.cpp
  files/FileSelection.cpp
  files/DirectoryComparison.cpp
  files/FileProperties.cpp
)
