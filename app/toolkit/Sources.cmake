target_sources(tidewell-app PRIVATE
  toolkit/FieldRegistry.cpp
  toolkit/FieldRegistry.h
  toolkit/HelpKey.cpp
  toolkit/HelpKey.h
)
