#pragma once

#include <string>
#include <string_view>

#include "tools/trainer/trained_data.h"

namespace vx::trainer {

// The C++ source of codec/trained_tables.cpp for these tables. `headerComment` (lines
// without the leading "// ") opens the file.
std::string TrainedTablesSource(const TrainedData& tables, std::string_view headerComment);

}  // namespace vx::trainer
