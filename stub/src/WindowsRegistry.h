#pragma once

#include "Platform.h"

namespace tidewatch {

// The registry through the registry API, in the system's native view.
class WindowsRegistry : public engine::Registry {
 public:
  bool KeyExists(const std::u16string& key) override;
  std::optional<engine::RegistryValue> ReadValue(const std::u16string& key, const std::u16string& name) override;
  bool WriteValue(const std::u16string& key, const std::u16string& name, const engine::RegistryValue& value,
                  engine::Failure& failure) override;
  bool DeleteValue(const std::u16string& key, const std::u16string& name, engine::Failure& failure) override;
  bool CreateKey(const std::u16string& key, engine::Failure& failure) override;
  bool DeleteKey(const std::u16string& key, engine::Failure& failure) override;
  std::optional<engine::RegistryKeySnapshot> Snapshot(const std::u16string& key) override;
};

}  // namespace tidewatch
