target_sources(tidewell-core PRIVATE
  files/ItemTree.cpp
  files/FileTree.cpp
)
