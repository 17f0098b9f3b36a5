// The libcurl functions the publishing code calls, loaded from the system's
// libcurl when the first of them is called. libcurl brings some twenty
// libraries of its own (TLS, SSH, Kerberos, LDAP, ...); loaded with the
// program, they cost the desktop tool a third of a bare Qt window's start
// although most sessions never publish.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>

namespace {

// libcurl's ABI name since 7.16; Debian's libcurl4 package provides it.
constexpr char kLibrary[] = "libcurl.so.4";

struct Functions {
  CURLcode (*globalInit)(long) = nullptr;
  CURL* (*easyInit)() = nullptr;
  void (*easyCleanup)(CURL*) = nullptr;
  void (*easyReset)(CURL*) = nullptr;
  CURLcode (*easyPerform)(CURL*) = nullptr;
  CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
  CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
  const char* (*easyStrerror)(CURLcode) = nullptr;
  curl_slist* (*slistAppend)(curl_slist*, const char*) = nullptr;
  void (*slistFreeAll)(curl_slist*) = nullptr;
  bool loaded = false;
};

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

// Loaded once; all of them or none.
const Functions& Curl() {
  static const Functions functions = [] {
    Functions f;
    void* library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!library) return f;
    f.loaded = Find(library, "curl_global_init", f.globalInit) &&
               Find(library, "curl_easy_init", f.easyInit) &&
               Find(library, "curl_easy_cleanup", f.easyCleanup) &&
               Find(library, "curl_easy_reset", f.easyReset) &&
               Find(library, "curl_easy_perform", f.easyPerform) &&
               Find(library, "curl_easy_setopt", f.easySetopt) &&
               Find(library, "curl_easy_getinfo", f.easyGetinfo) &&
               Find(library, "curl_easy_strerror", f.easyStrerror) &&
               Find(library, "curl_slist_append", f.slistAppend) &&
               Find(library, "curl_slist_free_all", f.slistFreeAll);
    return f;
  }();
  return functions;
}

}  // namespace

extern "C" {

CURLcode curl_global_init(long flags) {
  return Curl().loaded ? Curl().globalInit(flags) : CURLE_FAILED_INIT;
}

CURL* curl_easy_init() { return Curl().loaded ? Curl().easyInit() : nullptr; }

void curl_easy_cleanup(CURL* handle) {
  if (handle && Curl().loaded) Curl().easyCleanup(handle);
}

void curl_easy_reset(CURL* handle) {
  if (handle && Curl().loaded) Curl().easyReset(handle);
}

CURLcode curl_easy_perform(CURL* handle) {
  return Curl().loaded ? Curl().easyPerform(handle) : CURLE_FAILED_INIT;
}

// An option's number tells the type of its value (curl.h, CURLOPTTYPE_*):
// the value is taken as that type and passed on as that type.
CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
  if (!Curl().loaded) return CURLE_FAILED_INIT;
  va_list values;
  va_start(values, option);
  CURLcode result;
  if (option < CURLOPTTYPE_OBJECTPOINT)
    result = Curl().easySetopt(handle, option, va_arg(values, long));
  else if (option < CURLOPTTYPE_FUNCTIONPOINT)
    result = Curl().easySetopt(handle, option, va_arg(values, void*));
  else if (option < CURLOPTTYPE_OFF_T)
    result = Curl().easySetopt(handle, option, va_arg(values, void (*)()));
  else if (option < CURLOPTTYPE_BLOB)
    result = Curl().easySetopt(handle, option, va_arg(values, curl_off_t));
  else
    result = Curl().easySetopt(handle, option, va_arg(values, void*));
  va_end(values);
  return result;
}

// Every information is written through a pointer.
CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
  if (!Curl().loaded) return CURLE_FAILED_INIT;
  va_list values;
  va_start(values, info);
  void* target = va_arg(values, void*);
  va_end(values);
  return Curl().easyGetinfo(handle, info, target);
}

const char* curl_easy_strerror(CURLcode code) {
  if (!Curl().loaded) return "libcurl (libcurl.so.4) could not be loaded";
  return Curl().easyStrerror(code);
}

curl_slist* curl_slist_append(curl_slist* list, const char* text) {
  return Curl().loaded ? Curl().slistAppend(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list) {
  if (list && Curl().loaded) Curl().slistFreeAll(list);
}

}  // extern "C"
