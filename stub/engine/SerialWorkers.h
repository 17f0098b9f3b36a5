#pragma once

#include <functional>
#include <memory>

#include "Platform.h"

namespace tidewatch::engine {

// Work without threads: the one call runs on the calling thread, so its
// locks have nothing to exclude and nothing waits.
class SerialWorkers final : public Workers {
 public:
  void Run(std::size_t, const std::function<void()>& body) override { body(); }
  std::unique_ptr<Mutex> NewMutex() override { return std::make_unique<NoLock>(); }
  std::unique_ptr<Condition> NewCondition() override { return std::make_unique<NoWait>(); }

 private:
  class NoLock final : public Mutex {
   public:
    void lock() override {}
    void unlock() override {}
  };
  class NoWait final : public Condition {
   public:
    void Wait(Mutex&) override {}
    void NotifyAll() override {}
  };
};

}  // namespace tidewatch::engine
