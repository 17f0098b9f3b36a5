target_sources(tidewell-app PRIVATE
  pages/release/ReleasePageWidget.cpp
  pages/release/ReleasePageWidget.h
  pages/release/ReleasePanesView.cpp
  pages/release/ReleasePanesView.h
)
target_sources(tidewell-app PRIVATE
  pages/release/SigningKeyView.cpp
  pages/release/SigningKeyView.h
)
