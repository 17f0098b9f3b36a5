target_sources(tidewell-app PRIVATE
  pages/registry/RegistryItemDialog.cpp
  pages/registry/RegistryItemDialog.h
  pages/registry/RegistryPage.cpp
  pages/registry/RegistryPage.h
  pages/registry/RegistryPropertiesSheet.cpp
  pages/registry/RegistryPropertiesSheet.h
)
