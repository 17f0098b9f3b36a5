target_sources(tidewell-app PRIVATE
  pages/behaviours/ClientBehavioursPageWidget.cpp
  pages/behaviours/ClientBehavioursPageWidget.h
)
