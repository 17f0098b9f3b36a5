#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tidewell::testing {

// Sets (or, with nullopt, removes) environment variables for the life of the
// object, for this process and the programs it starts; restores them after.
class EnvironmentScope {
 public:
  EnvironmentScope(std::initializer_list<std::pair<const char*, std::optional<std::string>>> values) {
    for (const auto& [name, value] : values) {
      const char* previous = std::getenv(name);
      saved_.emplace_back(name, previous ? std::optional<std::string>(previous) : std::nullopt);
      Set(name, value);
    }
  }
  ~EnvironmentScope() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Set(it->first.c_str(), it->second);
  }
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  static void Set(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
    _putenv_s(name, value ? value->c_str() : "");
#else
    if (value) setenv(name, value->c_str(), 1);
    else unsetenv(name);
#endif
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace tidewell::testing
