#pragma once

namespace tidewatch {

class ClientStrings;

// Checks for an update at once and applies it, with no window for a silent
// update; undoes first what an interrupted earlier run left. Answers the
// exit code: 0 up to date or updated, 1 failed (the application as it was).
int CheckForUpdateNow(const ClientStrings& strings);

// Undoes an update that was interrupted (the client killed during an apply),
// before the client does anything else. False when it could not.
bool UndoInterruptedUpdate(const ClientStrings& strings);

}  // namespace tidewatch
