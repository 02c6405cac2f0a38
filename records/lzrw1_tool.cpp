// korvel-lzrw1: compresses or restores one file with the game's compressor, so its containers
// can be made and inspected outside the program.
//   korvel-lzrw1 compress-fast|compress-good|decompress IN OUT

#include <cstdio>
#include <cstring>
#include <exception>

#include "records/lzrw1.h"

int main(int argc, char** argv) {
  using korvel::records::TCompressMode;
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s compress-fast|compress-good|decompress IN OUT\n", argv[0]);
    return 2;
  }
  korvel::records::Tlzrw1 lz;
  lz.InputFile = argv[2];
  lz.OutputFile = argv[3];
  try {
    if (std::strcmp(argv[1], "compress-fast") == 0) {
      lz.CompressMode = TCompressMode::Fast;
      lz.Compress();
    } else if (std::strcmp(argv[1], "compress-good") == 0) {
      lz.CompressMode = TCompressMode::Good;
      lz.Compress();
    } else if (std::strcmp(argv[1], "decompress") == 0) {
      lz.Decompress();
    } else {
      std::fprintf(stderr, "unknown command: %s\n", argv[1]);
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
