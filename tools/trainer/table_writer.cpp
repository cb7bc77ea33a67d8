#include "tools/trainer/table_writer.h"

#include <cstdio>
#include <span>

namespace vx::trainer {

namespace {

void Append(std::string& out, const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  out += text;
}

// Writes the values as a brace list, `perLine` values to a line, at `indent` spaces.
void AppendRow(std::string& out, std::span<const float> values, const char* format, int indent,
               size_t perLine) {
  const std::string pad(static_cast<size_t>(indent), ' ');
  out += pad + "{";
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += (i % perLine == 0) ? ",\n" + pad + " " : ", ";
    Append(out, format, values[i]);
  }
  out += "},\n";
}

}  // namespace

std::string TrainedTablesSource(const TrainedData& t, std::string_view headerComment) {
  std::string out;
  size_t start = 0;
  while (start < headerComment.size()) {
    size_t end = headerComment.find('\n', start);
    if (end == std::string_view::npos) end = headerComment.size();
    out += "// ";
    out += headerComment.substr(start, end - start);
    out += "\n";
    start = end + 1;
  }
  out += "// clang-format off\n#include \"codec/trained_tables.h\"\n\nnamespace vx {\n\n";

  out += "const std::array<LsfVector, kLsfStage1Size> kLsfStage1Full = {{\n";
  for (const LsfVector& row : t.stage1Full) AppendRow(out, row, "%.5ff", 4, 5);
  out += "}};\n\nconst std::array<LsfVector, kLsfStage1Size> kLsfStage1Half = {{\n";
  for (const LsfVector& row : t.stage1Half) AppendRow(out, row, "%.5ff", 4, 5);
  out +=
      "}};\n\nconst std::array<std::array<std::array<float, 2>, kLsfStage2Size>, kLsfSplitsFull>\n"
      "    kLsfStage2Full = {{\n";
  for (const auto& split : t.stage2Full) {
    out += "    {{\n";
    for (const auto& pair : split) AppendRow(out, pair, "%.5ff", 8, 2);
    out += "    }},\n";
  }
  out += "}};\n\nconst std::array<LsfVector, kLsfStage2Size> kLsfStage2Half = {{\n";
  for (const LsfVector& row : t.stage2Half) AppendRow(out, row, "%.5ff", 4, 5);
  out +=
      "}};\n\nconst std::array<std::array<float, kNoiseVectorLength>, kNoiseVectorCount> "
      "kNoiseCodebook = {{\n";
  for (const auto& row : t.noise) AppendRow(out, row, "%.4ff", 4, 8);
  out += "}};\n\nconst std::array<float, kNoiseVectorCount> kNoiseCodebookEnergy = {\n";
  for (float e : t.noiseEnergy) {
    out += "    ";
    Append(out, "%.4ff", e);
    out += ",\n";
  }
  out += "};\n\n}  // namespace vx\n";
  return out;
}

}  // namespace vx::trainer
