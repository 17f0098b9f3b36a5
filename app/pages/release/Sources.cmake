target_sources(tidewell-app PRIVATE
  pages/release/ReleaseNavigation.cpp
  pages/release/ReleaseNavigation.h
  pages/release/ReleasePageWidget.cpp
  pages/release/ReleasePageWidget.h
  pages/release/ReleasePanesView.cpp
  pages/release/ReleasePanesView.h
)
