#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace vx {

// Millisecond ticks and sleep, the only notion of time the engines have.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the clock was made; never decreases.
  virtual int64_t Ticks() = 0;
  virtual void Sleep(int64_t milliseconds) = 0;
};

// Wall time from the steady clock; Sleep really waits.
class RealClock final : public Clock {
 public:
  int64_t Ticks() override;
  void Sleep(int64_t milliseconds) override;

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Time that moves only when somebody sleeps on it or advances it by hand, so that timed
// behaviour runs as fast as the machine allows and always alike. Observers (a virtual sound
// card) are told the new time whenever it moves, on the thread that moved it.
class VirtualClock final : public Clock {
 public:
  using Observer = std::function<void(int64_t nowMs)>;

  explicit VirtualClock(int64_t startMs = 0) : now_(startMs) {}

  int64_t Ticks() override;
  // Advances the time by the sleep, at once.
  void Sleep(int64_t milliseconds) override { Advance(milliseconds); }
  // Moves the time forward (negative steps are ignored) and tells the observers.
  void Advance(int64_t milliseconds);

  // Observers run under the clock's observer lock: they must not add or remove observers.
  int AddObserver(Observer observer);
  void RemoveObserver(int id);

 private:
  std::mutex timeMutex_;
  int64_t now_;
  std::mutex observerMutex_;
  std::vector<std::pair<int, Observer>> observers_;
  int nextObserver_ = 1;
};

}  // namespace vx
