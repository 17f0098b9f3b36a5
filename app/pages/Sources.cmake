target_sources(tidewell-app PRIVATE
  pages/PageSet.cpp
  pages/PageSet.h
  pages/PlaceholderPage.cpp
  pages/PlaceholderPage.h
)
