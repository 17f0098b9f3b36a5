#include "WindowsWorkers.h"

#include <vector>

namespace tidewatch {

namespace {

DWORD WINAPI RunBody(LPVOID body) {
  (*static_cast<const std::function<void()>*>(body))();
  return 0;
}

}  // namespace

void WindowsWorkers::Run(std::size_t count, const std::function<void()>& body) {
  std::vector<HANDLE> threads;
  // A thread that cannot be had leaves its share to the others.
  for (std::size_t i = 1; i < count; ++i) {
    if (HANDLE thread = CreateThread(nullptr, 0, RunBody, const_cast<std::function<void()>*>(&body), 0, nullptr))
      threads.push_back(thread);
  }
  body();
  for (HANDLE thread : threads) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
}

std::unique_ptr<engine::Mutex> WindowsWorkers::NewMutex() { return std::make_unique<WindowsLock>(); }

std::unique_ptr<engine::Condition> WindowsWorkers::NewCondition() { return std::make_unique<WindowsCondition>(); }

}  // namespace tidewatch
