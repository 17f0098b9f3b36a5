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
target_sources(tidewell-app PRIVATE
  pages/release/SignCommandView.cpp
  pages/release/SignCommandView.h
)
# Publishing, where the core has it (not in the Windows build).
if(TARGET tidewell-publish)
  target_sources(tidewell-app PRIVATE
    pages/release/PublishProgressDialog.cpp
    pages/release/PublishProgressDialog.h
    pages/release/PublishView.cpp
    pages/release/PublishView.h
  )
  target_link_libraries(tidewell-app PUBLIC tidewell-publish)
  target_compile_definitions(tidewell-app PUBLIC TIDEWELL_PUBLISH)
endif()
