#pragma once
// The command-line tools' data files: read whole, or the tool stops with a message naming the
// file (exit status 2).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace korvel::bot {

inline std::string readToolFile(const char* tool, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read %s\n", tool, path.c_str());
    std::exit(2);
  }
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace korvel::bot
