// The floor of the client update benchmark under the emulator: the least a
// Windows program does to install the same files the same way. The files of
// a list are fetched through WinHTTP on as many connections as the client
// keeps (its kConcurrentTransfers), each read in pieces of 64 KiB as the
// client reads them, written beside its target, flushed and renamed over it.
// No plan, no journal, no signatures, no progress.
//
//   WinHttpFloor.exe HOST PORT LIST TARGET
//
// LIST holds one "served path<TAB>installed path" line per file (the paths
// with "/"); TARGET is the installed folder. Exit code 0 when every file
// arrived whole and was put in place.
#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ConcurrentDownload.h"

namespace {

constexpr DWORD kPieceBytes = 64 * 1024;

struct File {
  std::wstring path;    // on the server, from "/"
  std::wstring target;  // where it is installed
};

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        wide.data(), static_cast<int>(wide.size()));
  wide.resize(count > 0 ? static_cast<size_t>(count) : 0);
  return wide;
}

std::vector<File> ReadList(const wchar_t* list, const std::wstring& target) {
  std::vector<File> files;
  std::ifstream in(list);
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    File file{L"/" + Wide(line.substr(0, tab)), target + L"\\" + Wide(line.substr(tab + 1))};
    for (wchar_t& c : file.target)
      if (c == L'/') c = L'\\';
    files.push_back(std::move(file));
  }
  return files;
}

// One file: fetched into "<target>.new", flushed, renamed over the target.
bool Install(HINTERNET connection, const File& file, std::vector<char>& piece) {
  HINTERNET request = WinHttpOpenRequest(connection, L"GET", file.path.c_str(), nullptr,
                                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
  if (!request) return false;
  bool ok = WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
            WinHttpReceiveResponse(request, nullptr);
  DWORD status = 0, size = sizeof status;
  ok = ok && WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) &&
       status == 200;
  const std::wstring beside = file.target + L".new";
  HANDLE out = ok ? CreateFileW(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr)
                  : INVALID_HANDLE_VALUE;
  ok = ok && out != INVALID_HANDLE_VALUE;
  while (ok) {
    DWORD got = 0, written = 0;
    ok = WinHttpReadData(request, piece.data(), kPieceBytes, &got);
    if (!ok || got == 0) break;
    ok = WriteFile(out, piece.data(), got, &written, nullptr) && written == got;
  }
  WinHttpCloseHandle(request);
  if (out == INVALID_HANDLE_VALUE) return false;
  ok = FlushFileBuffers(out) && ok;
  CloseHandle(out);
  return ok && MoveFileExW(beside.c_str(), file.target.c_str(), MOVEFILE_REPLACE_EXISTING);
}

struct Transfers {
  const std::vector<File>& files;
  HINTERNET session;
  const wchar_t* host;
  INTERNET_PORT port;
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
};

// One connection taking the next file of the list until none is left.
DWORD WINAPI Transfer(void* context) {
  Transfers& work = *static_cast<Transfers*>(context);
  HINTERNET connection = WinHttpConnect(work.session, work.host, work.port, 0);
  if (!connection) {
    work.failed = true;
    return 1;
  }
  std::vector<char> piece(kPieceBytes);
  for (size_t i = work.next++; i < work.files.size() && !work.failed; i = work.next++)
    if (!Install(connection, work.files[i], piece)) work.failed = true;
  WinHttpCloseHandle(connection);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: WinHttpFloor HOST PORT LIST TARGET\n");
    return 2;
  }
  const std::vector<File> files = ReadList(argv[3], argv[4]);
  HINTERNET session = WinHttpOpen(L"WinHttpFloor/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (files.empty() || !session) return 1;
  Transfers work{files, session, argv[1], static_cast<INTERNET_PORT>(_wtoi(argv[2]))};
  // The win32 thread model of MinGW has no std::thread.
  std::vector<HANDLE> threads;
  for (size_t t = 0; t < tidewatch::engine::kConcurrentTransfers; ++t)
    if (HANDLE thread = CreateThread(nullptr, 0, Transfer, &work, 0, nullptr)) threads.push_back(thread);
  if (threads.size() != tidewatch::engine::kConcurrentTransfers) work.failed = true;
  WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
  for (HANDLE thread : threads) CloseHandle(thread);
  WinHttpCloseHandle(session);
  return work.failed ? 1 : 0;
}
