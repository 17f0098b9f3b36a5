target_sources(tidewell-core PRIVATE
  text/Text.cpp
  text/SmallText.cpp
)
