#include "signing/Sodium.h"

#include <sodium.h>

namespace tidewell::signing {

bool SodiumReady() {
  // sodium_init answers 1 when an earlier call did the work; thread-safe.
  static const bool ready = sodium_init() >= 0;
  return ready;
}

}  // namespace tidewell::signing
