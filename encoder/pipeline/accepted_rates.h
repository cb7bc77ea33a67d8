#pragma once

#include <array>

namespace vx {

// The WAV rates the file encoder converts, with the nominal rate its rate converter filters
// them at: 11025, 22050 and 44100 Hz are taken as 11000, 22000 and 44000 Hz within a block.
struct AcceptedRate {
  int inputRate;
  int nominalRate;
};

inline constexpr std::array<AcceptedRate, 12> kAcceptedRates{{
    {8000, 8000},
    {11000, 11000},
    {11025, 11000},
    {12000, 12000},
    {16000, 16000},
    {22000, 22000},
    {22050, 22000},
    {24000, 24000},
    {36000, 36000},
    {44000, 44000},
    {44100, 44000},
    {48000, 48000},
}};

// The nominal rate of an exactly listed input rate, or 0 when the rate is not accepted.
constexpr int NominalRate(int inputRate) {
  for (const AcceptedRate& rate : kAcceptedRates)
    if (rate.inputRate == inputRate) return rate.nominalRate;
  return 0;
}

}  // namespace vx
