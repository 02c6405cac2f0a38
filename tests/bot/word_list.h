#pragma once
// The built word list blob, read once per test program.
#include <fstream>
#include <iterator>
#include <string>

namespace korvel::bot::testdata {

inline const std::string& textDemoBlob() {
  static const std::string blob = [] {
    std::ifstream in(KORVEL_TEXT_DEMO_BLOB, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  return blob;
}

}  // namespace korvel::bot::testdata
