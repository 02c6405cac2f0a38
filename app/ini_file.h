#pragma once
// INI text kept line by line. get and set touch one key of one section; every other byte of the
// text (other sections, comments, blank and odd lines, spacing, a UTF-8 byte order mark, CR LF or
// LF endings) is written back exactly as it was read. Section names and keys match without regard
// to ASCII letter case; keys and values are read with the blanks around them removed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::app {

class IniFile {
 public:
  IniFile() = default;
  static IniFile parse(std::string_view text);

  // The value of the first key of that name in the first section of that name; nothing when
  // either is missing. A key that is present with an empty value gives "".
  std::optional<std::string> get(std::string_view section, std::string_view key) const;

  // Replaces the value where the key is, or adds the key after the section's last key (the
  // section itself at the end of the text when missing). Line breaks in the value become blanks,
  // so a value can never add lines of its own.
  void set(std::string_view section, std::string_view key, std::string_view value);

  std::string serialise() const;

  // The line ending added lines get: the text's first one, LF when it has none.
  std::string_view newline() const { return crlf_ ? "\r\n" : "\n"; }

 private:
  enum class Kind : unsigned char { Other, Header, Entry };
  enum class Ending : unsigned char { None, Lf, CrLf };
  struct Line {
    std::string text;  // without its ending
    Ending ending = Ending::None;
    Kind kind = Kind::Other;
    std::size_t nameBegin = 0, nameEnd = 0;    // section name of a header, key of an entry
    std::size_t valueStart = 0;                // where an entry's value is written
    std::size_t valueBegin = 0, valueEnd = 0;  // an entry's value without blanks around it
  };

  static void classify(Line& line);
  static std::string_view name(const Line& line);
  // Index of the section's header in lines_, or npos.
  std::size_t findSection(std::string_view section) const;
  std::size_t sectionEnd(std::size_t header) const;
  void insertLine(std::size_t at, std::string text);

  std::vector<Line> lines_;
  std::vector<std::size_t> headers_;  // indexes of the header lines, ascending
  bool bom_ = false;
  bool crlf_ = false;
};

}  // namespace korvel::app
