#include "ui/string_table.h"

#include <cctype>
#include <charconv>
#include <climits>

namespace vx {
namespace {

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

void StringTable::Parse(std::string_view text) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    int id = 0;
    const auto [rest, error] = std::from_chars(line.data(), line.data() + line.size(), id);
    if (error != std::errc() || rest == line.data() + line.size() ||
        (*rest != ' ' && *rest != '\t'))
      continue;
    const size_t textStart = static_cast<size_t>(rest - line.data()) + 1;
    entries_[id] = Unescape(line.substr(textStart));
  }
}

std::optional<std::string_view> StringTable::Find(int id) const {
  const auto it = entries_.find(id);
  if (it == entries_.end()) return std::nullopt;
  return it->second;
}

std::string StringTable::Text(int id, std::string_view fallback) const {
  return std::string(Find(id).value_or(fallback));
}

void StringTable::ReadNumber(int id, int& value) const {
  const std::optional<std::string_view> text = Find(id);
  if (!text) return;
  size_t i = 0;
  while (i < text->size() && std::isspace(static_cast<unsigned char>((*text)[i]))) ++i;
  bool negative = false;
  if (i < text->size() && ((*text)[i] == '-' || (*text)[i] == '+')) negative = (*text)[i++] == '-';
  long long number = 0;
  for (; i < text->size() && std::isdigit(static_cast<unsigned char>((*text)[i])); ++i)
    number = std::min<long long>(number * 10 + ((*text)[i] - '0'), INT_MAX);
  value = static_cast<int>(negative ? -number : number);
}

}  // namespace vx
