#include "platform/clock.h"

#include <thread>

namespace vx {

int64_t RealClock::Ticks() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

void RealClock::Sleep(int64_t milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int64_t VirtualClock::Ticks() {
  std::lock_guard lock(timeMutex_);
  return now_;
}

void VirtualClock::Advance(int64_t milliseconds) {
  if (milliseconds <= 0) return;
  {
    std::lock_guard lock(timeMutex_);
    now_ += milliseconds;
  }
  // Observers are called outside the time lock so that they can read the clock. The time is
  // read again under the observer lock so that observers never see it go back when two
  // threads advance it at once.
  std::lock_guard lock(observerMutex_);
  const int64_t now = Ticks();
  for (auto& [id, observer] : observers_) observer(now);
}

int VirtualClock::AddObserver(Observer observer) {
  std::lock_guard lock(observerMutex_);
  int id = nextObserver_++;
  observers_.emplace_back(id, std::move(observer));
  return id;
}

void VirtualClock::RemoveObserver(int id) {
  std::lock_guard lock(observerMutex_);
  std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

}  // namespace vx
