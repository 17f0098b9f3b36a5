target_sources(tidewell-app PRIVATE
  pages/release/ReleasePageWidget.cpp
  pages/release/ReleasePageWidget.h
  pages/release/ReleasePanesView.cpp
  pages/release/ReleasePanesView.h
)
