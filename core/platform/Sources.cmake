target_sources(tidewell-core PRIVATE
  platform/AtomicFile.cpp
)
target_sources(tidewell-core PRIVATE
  platform/WindowsCommandLine.cpp
)
target_sources(tidewell-core PRIVATE
  platform/WindowsPath.cpp
)
target_sources(tidewell-core PRIVATE
  platform/HostPath.cpp
)
target_sources(tidewell-core PRIVATE
  platform/LargeMemory.cpp
)
target_sources(tidewell-core PRIVATE
  platform/ReadAt.cpp
)
target_sources(tidewell-core PRIVATE
  platform/ShellCommand.cpp
)
