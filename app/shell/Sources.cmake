target_sources(tidewell-app PRIVATE
  shell/Page.h
  shell/PageCommands.h
  shell/PageServices.h
  shell/QtText.h
)
