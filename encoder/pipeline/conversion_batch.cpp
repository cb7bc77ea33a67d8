#include "encoder/pipeline/conversion_batch.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace vx {

size_t RunConversionBatch(size_t count, int parallel, const std::function<bool(size_t)>& convert) {
  std::mutex mutex;
  size_t started = 0;
  bool stopped = false;
  auto work = [&] {
    for (;;) {
      size_t item = 0;
      {
        std::lock_guard lock(mutex);
        if (stopped || started == count) return;
        item = started++;
      }
      if (!convert(item)) {
        std::lock_guard lock(mutex);
        stopped = true;
      }
    }
  };
  const size_t threads = std::min<size_t>(static_cast<size_t>(std::max(parallel, 1)), count);
  if (threads <= 1) {
    work();
  } else {
    std::vector<std::jthread> workers;
    for (size_t i = 0; i < threads; ++i) workers.emplace_back(work);
  }
  return started;
}

}  // namespace vx
