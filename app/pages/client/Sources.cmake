target_sources(tidewell-app PRIVATE
  pages/client/ClientPageWidget.cpp
  pages/client/ClientPageWidget.h
)
