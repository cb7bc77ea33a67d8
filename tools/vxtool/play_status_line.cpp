#include "tools/vxtool/play_status_line.h"

namespace vx::cli {

void PlayStatusLine::DrawTimes(std::string_view nowText, std::string_view totalText) {
  now_ = nowText;
  total_ = totalText;
  Show();
}

void PlayStatusLine::DrawRateIndicators(bool halfLit, bool fullLit) {
  const std::string_view lamp = halfLit ? "Half Rate" : fullLit ? "Full Rate" : "";
  if (lamp == lamp_) return;
  lamp_ = lamp;
  Show();
}

void PlayStatusLine::Show() {
  // A file without a sample count has no total: its place stays blank.
  std::string line = now_ + " / " + (total_.empty() ? std::string(now_.size(), ' ') : total_);
  if (!lamp_.empty()) (line += "  ") += lamp_;
  if (line == shown_) return;
  if (inPlace_) {
    // Spaces wipe what is left of a longer line drawn before.
    const size_t wipe = shown_.size() > line.size() ? shown_.size() - line.size() : 0;
    std::fprintf(out_, "\r%s%*s", line.c_str(), static_cast<int>(wipe), "");
    lineOpen_ = true;
  } else {
    std::fprintf(out_, "%s\n", line.c_str());
  }
  std::fflush(out_);
  shown_ = std::move(line);
}

void PlayStatusLine::Break() {
  if (!lineOpen_) return;
  std::fputc('\n', out_);
  std::fflush(out_);
  lineOpen_ = false;
  shown_.clear();
}

}  // namespace vx::cli
