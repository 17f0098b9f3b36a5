#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tidewell::testing {

// Sets the process's time zone (a POSIX TZ string, so no zone database is
// needed) for the life of the object, then puts the previous one back.
// The Windows C runtime reads the zone's name, offset and summer-time name
// from TZ and applies its own summer-time dates.
class TimeZoneScope {
 public:
  explicit TimeZoneScope(const char* zone) {
    if (const char* previous = std::getenv("TZ")) previous_ = previous;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZoneScope() {
    if (previous_)
      setenv("TZ", previous_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  TimeZoneScope(const TimeZoneScope&) = delete;
  TimeZoneScope& operator=(const TimeZoneScope&) = delete;

 private:
  std::optional<std::string> previous_;

#ifdef _WIN32
  static void setenv(const char* name, const char* value, int) { _putenv_s(name, value); }
  static void unsetenv(const char* name) { _putenv_s(name, ""); }
  static void tzset() { _tzset(); }
#endif
};

}  // namespace tidewell::testing
