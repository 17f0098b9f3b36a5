#include "Console.h"

#include <windows.h>

#include <string>

#include "text/Unicode.h"

namespace tidewatch {

namespace {

HANDLE OutputHandle() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return out;
  // Started from a console without redirection: a windowed program gets no
  // handles, but may write into its parent's console.
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return nullptr;
  out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
  return out == INVALID_HANDLE_VALUE ? nullptr : out;
}

}  // namespace

bool WriteStandardOutput(std::u16string_view text) {
  HANDLE out = OutputHandle();
  if (out == nullptr) return false;
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    DWORD written = 0;
    return WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
  }
  const std::string bytes = tidewell::text::ToUtf8(text);
  std::string_view rest = bytes;
  while (!rest.empty()) {
    DWORD written = 0;
    const DWORD chunk = rest.size() > 65536 ? 65536 : static_cast<DWORD>(rest.size());
    if (!WriteFile(out, rest.data(), chunk, &written, nullptr) || written == 0) return false;
    rest.remove_prefix(written);
  }
  return true;
}

}  // namespace tidewatch
