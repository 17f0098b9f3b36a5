target_sources(tidewell-core PRIVATE
  platform/AtomicFile.cpp
)
