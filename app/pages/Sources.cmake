target_sources(tidewell-app PRIVATE
  pages/PageSet.cpp
  pages/PageSet.h
)
