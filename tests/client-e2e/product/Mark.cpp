// A product program that leaves a mark when it is started: one line, its own
// file name and the folder it was started in, appended to the file that the
// environment variable TIDEWELL_E2E_MARKS names. Without the variable it does
// nothing. PRODUCT_LABEL (a string) tells the builds of one source apart.
#include <windows.h>

#ifndef PRODUCT_LABEL
#define PRODUCT_LABEL ""
#endif

int wmain() {
  wchar_t marks[MAX_PATH];
  if (GetEnvironmentVariableW(L"TIDEWELL_E2E_MARKS", marks, MAX_PATH) == 0) return 0;
  wchar_t self[MAX_PATH];
  wchar_t folder[MAX_PATH];
  const DWORD selfLength = GetModuleFileNameW(nullptr, self, MAX_PATH);
  const wchar_t* name = self;
  for (DWORD i = 0; i < selfLength; ++i)
    if (self[i] == L'\\') name = self + i + 1;
  GetCurrentDirectoryW(MAX_PATH, folder);
  // Several programs may start at once: retry while another holds the file.
  for (int attempt = 0; attempt < 100; ++attempt) {
    HANDLE file = CreateFileW(marks, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      Sleep(20);
      continue;
    }
    char line[3 * MAX_PATH * 2 + 16];
    int length = WideCharToMultiByte(CP_UTF8, 0, name, -1, line, MAX_PATH * 3, nullptr, nullptr) - 1;
    length += wsprintfA(line + length, "|%s|", PRODUCT_LABEL);
    length += WideCharToMultiByte(CP_UTF8, 0, folder, -1, line + length, MAX_PATH * 3, nullptr, nullptr) - 1;
    line[length++] = '\n';
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
    return 0;
  }
  return 1;
}
