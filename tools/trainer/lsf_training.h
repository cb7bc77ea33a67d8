#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "codec/frame_format.h"
#include "codec/lsf_decoder.h"
#include "codec/lsf_quantiser.h"
#include "tools/metrics/lpc_distortion.h"
#include "tools/trainer/lsf_frames.h"

// Closed-loop training of the LSF codebooks of one rate. Every pass runs the codec's own
// quantiser search over the training frames in stream order (each frame of the type the
// encoder gave it), with the predictor memory that
// the decoder would hold (each chosen word decoded with the candidate books: code vector,
// prediction, stabilisation, ageing). The pass's choices give, per frame, the code-domain
// target (LSF minus the prediction from the previous code vectors, over the weight of the
// current one) and the cells it fell into; the books are then moved to the weighted
// centroids of their cells, first stage before second. The next pass quantises again with
// the new books, so the targets follow the codebooks, until the spectral distortion stops
// improving.
namespace vx::trainer {

// Frames of several streams, in order. The quantiser state starts afresh at each stream.
// Silence frames leave it untouched, as in the encoder. Noise frames are quantised with the
// 6-bit noise quantiser on the full-rate first stage: when full-rate books are trained that
// is the candidate first stage, which the noise frames then help train; half-rate sets hold
// the (already trained) full-rate first stage in `noiseStage1`.
struct LsfTrainingSet {
  std::vector<LsfFrame> frames;
  std::vector<size_t> streamStarts;  // index of each stream's first frame, ascending
  std::array<LsfVector, kLsfStage1Size> noiseStage1{};  // half-rate sets only
  void AddStream(const std::vector<LsfFrame>& stream);
};

// The trained books of one rate: full-rate frames use stage1 and stage2Pairs, half-rate
// frames stage1 and stage2Matrix (the other second stage is unused).
struct LsfBooks {
  std::array<LsfVector, kLsfStage1Size> stage1{};
  std::array<std::array<std::array<float, 2>, kLsfStage2Size>, kLsfSplitsFull> stage2Pairs{};
  std::array<LsfVector, kLsfStage2Size> stage2Matrix{};
};

// The books in the quantiser's form, with the codec's predictor of the frame type.
LsfCodebooks BookView(const LsfBooks& books, FrameType type);

// The code vector of a full-rate, half-rate or noise word under `books`, as the decoder
// forms it: the stage-1 row plus, for speech frames, the chosen second-stage parts.
LsfVector CodeVectorOf(uint32_t word, FrameType type, const LsfCodebooks& books);

// Quantises `lsf` as the encoder does (search, then the decoder's update of `state` with
// the word) and returns the word; `quantised` receives the decoded LSF set.
int32_t QuantiseWithBooks(LsfDecoderState& state, const LsfVector& lsf, FrameType type,
                          const LsfCodebooks& books, LsfVector& quantised);

// Spectral distortion of the quantiser with `books` over the active speech frames of the
// set (frames of type `type`).
metrics::DistortionSummary MeasureBooks(const LsfTrainingSet& set, FrameType type,
                                        const LsfBooks& books);

struct LsfTrainingOptions {
  int maxPasses = 80;
  int patience = 3;  // passes without improvement before stopping
  double minImprovementDb = 0.001;
};

// Called after each pass with its number and the distortion the pass measured.
using PassReport = std::function<void(int pass, const metrics::DistortionSummary&)>;

// Trains the books of a full-rate or half-rate set from `initial`; returns the books of the
// pass with the smallest mean distortion. Values are kept rounded to 1e-5 (as written into
// the table source), stage-1 rows ascending inside (0, pi). Deterministic.
LsfBooks TrainLsfBooks(const LsfTrainingSet& set, FrameType type, const LsfBooks& initial,
                       const LsfTrainingOptions& options, const PassReport& report = {});

}  // namespace vx::trainer
