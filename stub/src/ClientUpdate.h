#pragma once

// Where the client's update starts: the engine's services on this machine
// (WinHTTP, the files, the registry, the shell, the log, the threads) put
// together for the client its strings describe, and one update run through
// them, silent or through the pages as the server file asks.
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
