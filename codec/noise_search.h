#pragma once

#include <cstdint>
#include <span>

// The noise-frame codebook search: one of the stored noise vectors per 40-sample subframe.
namespace vx {

// The noise word (0..7) maximising <d, n_k>^2 / E_k, d the target x filtered back through h
// and E_k the stored energy of vector k; a later vector wins only when strictly better.
int32_t SearchNoiseVector(std::span<const float, 40> x, std::span<const float, 40> h);

}  // namespace vx
