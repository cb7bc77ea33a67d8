#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "platform/message_queue.h"

namespace vx::testing {

// Dispatches every message until the queue is empty, whole runs included (a run's loop takes
// the messages posted meanwhile itself); a queue that never empties fails the test.
inline void PumpUntilEmpty(MessageQueue& queue) {
  for (int guard = 0; guard < 100000; ++guard) {
    std::optional<Message> m = queue.Take();
    if (!m) return;
    queue.Dispatch(*m);
  }
  ADD_FAILURE() << "the queue never emptied";
}

}  // namespace vx::testing
