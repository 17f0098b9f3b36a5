#include "cli/Console.h"

#include <iostream>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <streambuf>
#endif

namespace tidewell::cli {

#ifdef _WIN32

namespace {

std::string ToUtf8(const wchar_t* text) {
  const int wide = static_cast<int>(wcslen(text));
  if (wide == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, wide, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, wide, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

// How many leading bytes of `bytes` end on a whole UTF-8 sequence; the rest
// waits for the bytes that complete it.
size_t CompleteUtf8Prefix(const std::string& bytes) {
  const size_t size = bytes.size();
  for (size_t back = 1; back <= 4 && back <= size; ++back) {
    const auto c = static_cast<unsigned char>(bytes[size - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return length > back ? size - back : size;
  }
  return size;
}

// A stream buffer writing UTF-8 text to a console window as UTF-16, so that
// no console code page stands between the text and the screen.
class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? 0 : traits_type::eof();
    pending_.push_back(traits_type::to_char_type(c));
    if (c == '\n' || pending_.size() >= kBatch) Write(CompleteUtf8Prefix(pending_));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    pending_.append(s, static_cast<size_t>(n));
    Write(CompleteUtf8Prefix(pending_));
    return n;
  }
  int sync() override {
    Write(pending_.size());
    return 0;
  }

 private:
  static constexpr size_t kBatch = 4096;

  void Write(size_t bytes) {
    if (bytes == 0) return;
    // Invalid bytes become U+FFFD, as everywhere else in the tool.
    const int size = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(bytes), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(bytes), wide.data(), size);
    for (size_t done = 0; done < wide.size();) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 8192));
      if (!WriteConsoleW(console_, wide.data() + done, chunk, &written, nullptr) || written == 0) break;
      done += written;
    }
    pending_.erase(0, bytes);
  }

  HANDLE console_;
  std::string pending_;
};

// Writes through to a console when `handle` is one; answers whether it was.
bool RouteToConsole(DWORD which, std::ostream& stream) {
  const HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return false;
  stream.flush();
  stream.rdbuf(new ConsoleBuffer(handle));  // kept until the program ends, as the stream is
  return true;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) arguments.push_back(ToUtf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void UseUnicodeOutput() {
  // A pipe or a file gets the bytes as they are: the documents' own CR LF
  // pairs, and the same lines as on every other host.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  RouteToConsole(STD_OUTPUT_HANDLE, std::cout);
  RouteToConsole(STD_ERROR_HANDLE, std::cerr);
}

#else

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void UseUnicodeOutput() {}

#endif

}  // namespace tidewell::cli
