#pragma once

#include <windows.h>

#include "Platform.h"

namespace tidewatch {

// A slim reader/writer lock, always held exclusively: no set-up, no clean-up.
class WindowsLock final : public engine::Mutex {
 public:
  void lock() override { AcquireSRWLockExclusive(&lock_); }
  void unlock() override { ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* native() { return &lock_; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

// A condition variable over a WindowsLock.
class WindowsCondition final : public engine::Condition {
 public:
  void Wait(engine::Mutex& held) override {
    SleepConditionVariableSRW(&condition_, static_cast<WindowsLock&>(held).native(), INFINITE, 0);
  }
  void NotifyAll() override { WakeAllConditionVariable(&condition_); }

 private:
  CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

// Work on threads of the process: the calling thread runs one share itself.
class WindowsWorkers final : public engine::Workers {
 public:
  void Run(std::size_t count, const std::function<void()>& body) override;
  std::unique_ptr<engine::Mutex> NewMutex() override;
  std::unique_ptr<engine::Condition> NewCondition() override;
};

}  // namespace tidewatch
