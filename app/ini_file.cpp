#include "app/ini_file.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace korvel::app {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\v\f";

bool isBlank(char c) {
  return kBlanks.find(c) != std::string_view::npos;
}

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

// [begin, end) of text without blanks at either side.
std::pair<std::size_t, std::size_t> trimmed(std::string_view text, std::size_t begin,
                                            std::size_t end) {
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return {begin, end};
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
  IniFile ini;
  if (text.substr(0, kBom.size()) == kBom) {
    ini.bom_ = true;
    text.remove_prefix(kBom.size());
  }
  bool endingSeen = false;
  while (!text.empty()) {
    Line line;
    const std::size_t lf = text.find('\n');
    std::size_t length = lf == std::string_view::npos ? text.size() : lf;
    if (lf != std::string_view::npos) {
      line.ending = Ending::Lf;
      if (length > 0 && text[length - 1] == '\r') {
        line.ending = Ending::CrLf;
        --length;
      }
      if (!endingSeen) ini.crlf_ = line.ending == Ending::CrLf;
      endingSeen = true;
    }
    line.text.assign(text.substr(0, length));
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    classify(line);
    if (line.kind == Kind::Header) ini.headers_.push_back(ini.lines_.size());
    ini.lines_.push_back(std::move(line));
  }
  return ini;
}

void IniFile::classify(Line& line) {
  const std::string_view t = line.text;
  line.kind = Kind::Other;
  std::size_t p = 0;
  while (p < t.size() && isBlank(t[p])) ++p;
  if (p == t.size() || t[p] == ';' || t[p] == '#') return;
  if (t[p] == '[') {
    const std::size_t close = t.find(']', p + 1);
    if (close == std::string_view::npos) return;
    line.kind = Kind::Header;
    std::tie(line.nameBegin, line.nameEnd) = trimmed(t, p + 1, close);
    return;
  }
  const std::size_t eq = t.find('=', p);
  if (eq == std::string_view::npos || eq == p) return;
  line.kind = Kind::Entry;
  std::tie(line.nameBegin, line.nameEnd) = trimmed(t, p, eq);
  line.valueStart = eq + 1;
  while (line.valueStart < t.size() && (t[line.valueStart] == ' ' || t[line.valueStart] == '\t'))
    ++line.valueStart;
  std::tie(line.valueBegin, line.valueEnd) = trimmed(t, eq + 1, t.size());
}

std::string_view IniFile::name(const Line& line) {
  return std::string_view(line.text).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

std::size_t IniFile::findSection(std::string_view section) const {
  for (std::size_t h : headers_) {
    if (equalsIgnoringCase(name(lines_[h]), section)) return h;
  }
  return std::string::npos;
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
  const auto next = std::upper_bound(headers_.begin(), headers_.end(), header);
  return next == headers_.end() ? lines_.size() : *next;
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
  const std::size_t h = findSection(section);
  if (h == std::string::npos) return std::nullopt;
  for (std::size_t i = h + 1, end = sectionEnd(h); i < end; ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::Entry && equalsIgnoringCase(name(line), key)) {
      return line.text.substr(line.valueBegin, line.valueEnd - line.valueBegin);
    }
  }
  return std::nullopt;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  std::string clean(value);
  std::replace_if(
      clean.begin(), clean.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');

  const std::size_t h = findSection(section);
  if (h == std::string::npos) {
    insertLine(lines_.size(), "[" + std::string(section) + "]");
    insertLine(lines_.size(), std::string(key) + "=" + clean);
    return;
  }
  std::size_t insertAt = h + 1;
  for (std::size_t i = h + 1, end = sectionEnd(h); i < end; ++i) {
    Line& line = lines_[i];
    if (line.kind != Kind::Entry) continue;
    if (equalsIgnoringCase(name(line), key)) {
      line.text.replace(line.valueStart, std::string::npos, clean);
      classify(line);
      return;
    }
    insertAt = i + 1;
  }
  insertLine(insertAt, std::string(key) + "=" + clean);
}

void IniFile::insertLine(std::size_t at, std::string text) {
  const Ending ending = crlf_ ? Ending::CrLf : Ending::Lf;
  // Only the last line can lack an ending; a line after it needs one.
  if (at > 0 && lines_[at - 1].ending == Ending::None) lines_[at - 1].ending = ending;
  Line line;
  line.text = std::move(text);
  line.ending = ending;
  classify(line);
  for (std::size_t& h : headers_) {
    if (h >= at) ++h;
  }
  if (line.kind == Kind::Header) {
    headers_.insert(std::upper_bound(headers_.begin(), headers_.end(), at), at);
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::string IniFile::serialise() const {
  std::size_t size = bom_ ? kBom.size() : 0;
  for (const Line& line : lines_) size += line.text.size() + 2;
  std::string out;
  out.reserve(size);
  if (bom_) out += kBom;
  for (const Line& line : lines_) {
    out += line.text;
    if (line.ending == Ending::CrLf) out += "\r\n";
    if (line.ending == Ending::Lf) out += '\n';
  }
  return out;
}

}  // namespace korvel::app
