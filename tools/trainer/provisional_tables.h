#pragma once

#include "tools/trainer/trained_data.h"

namespace vx::trainer {

// Deterministic placeholder tables (not trained): first-stage rows shaped like typical speech
// LSF sets (the uniform set pulled toward three formants), lattice second stages of both signs,
// Gaussian noise vectors of RMS 0.92..1.13. Values are rounded as they will be written, and the
// noise energies are computed from the rounded vectors.
TrainedData MakeProvisionalTables();

}  // namespace vx::trainer
