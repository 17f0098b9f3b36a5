// Test helper: opens a file with no sharing at all, as a program that keeps
// its file locked, and holds it until a release file appears (at most 120 s).
//   HoldOpen.exe FILE READY RELEASE
// READY is created once FILE is held.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 3;
  HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 4;
  CloseHandle(ready);
  for (int waited = 0; waited < 120000; waited += 20) {
    if (GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(20);
  }
  CloseHandle(held);
  return 0;
}
