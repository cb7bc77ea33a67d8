#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

// A program's string table: one entry a line, the decimal id, white space, then the text up
// to the end of the line, with the escapes \n and \\. Blank lines and lines starting with '#'
// are skipped; a line that does not start with an id is ignored.
class StringTable {
 public:
  StringTable() = default;
  explicit StringTable(std::string_view text) { Parse(text); }

  // Adds the entries of `text`; a later entry of the same id replaces the earlier one.
  void Parse(std::string_view text);

  std::optional<std::string_view> Find(int id) const;
  // The entry's text, or `fallback` when there is none.
  std::string Text(int id, std::string_view fallback = {}) const;
  // The entry read as a decimal number the way the old string-to-integer call does (leading
  // blanks and sign, then digits up to the first other character; 0 when there are none).
  // A missing entry leaves `value` as it was.
  void ReadNumber(int id, int& value) const;

 private:
  std::map<int, std::string> entries_;
};

}  // namespace vx
