#pragma once

namespace tidewell::signing {

// Prepares libsodium once per process (it picks the fastest code for the
// processor and seeds its random source). Answers false when it cannot run;
// every operation of this module calls it first.
bool SodiumReady();

}  // namespace tidewell::signing
