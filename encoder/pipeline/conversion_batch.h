#pragma once

#include <cstddef>
#include <functional>

namespace vx {

// Runs the conversions of a batch, up to `parallel` at once, each on a thread of its own
// (`parallel` 1 runs them one after another on the calling thread). `convert(i)` converts item
// i and returns false to end the batch: no later item is started, the running ones finish.
// Items start in order. Returns the number of items started.
size_t RunConversionBatch(size_t count, int parallel, const std::function<bool(size_t)>& convert);

}  // namespace vx
