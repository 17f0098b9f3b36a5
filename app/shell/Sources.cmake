target_sources(tidewell-app PRIVATE
  shell/Page.h
  shell/PageCommands.h
  shell/PageServices.h
  shell/QtPrompt.cpp
  shell/QtPrompt.h
  shell/QtText.h
)
