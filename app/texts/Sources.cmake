target_sources(tidewell-app PRIVATE
  texts/HelpTexts.cpp
  texts/HelpTexts.h
)
