// Build tool: turns the word list (one word per line) into the word list blob "TEXT_DEMO".
//   text_demo_generator <words.txt> <TEXT_DEMO.bin>
// Empty lines and carriage returns are skipped. Exits non-zero, leaving no output, on failure.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "dictionary/record_blob.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: text_demo_generator <words.txt> <TEXT_DEMO.bin>\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "text_demo_generator: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::vector<std::string> words;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) words.push_back(line);
  }
  if (in.bad()) {
    std::cerr << "text_demo_generator: error reading " << argv[1] << "\n";
    return 1;
  }
  const std::string blob = korvel::recordBlob(words);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(blob.data(), static_cast<std::streamsize>(blob.size()));
  out.close();
  if (!out) {
    std::cerr << "text_demo_generator: cannot write " << argv[2] << "\n";
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}
