target_sources(tidewell-app PRIVATE
  toolkit/Balloon.cpp
  toolkit/Balloon.h
  toolkit/FieldRegistry.cpp
  toolkit/FieldRegistry.h
  toolkit/HelpKey.cpp
  toolkit/HelpKey.h
  toolkit/HoverHelp.cpp
  toolkit/HoverHelp.h
  toolkit/HyperlinkLabel.cpp
  toolkit/HyperlinkLabel.h
  toolkit/NavigationBar.cpp
  toolkit/NavigationBar.h
  toolkit/PageHeader.cpp
  toolkit/PageHeader.h
  toolkit/SplitButton.cpp
  toolkit/SplitButton.h
)
