find_package(ZLIB REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LZ4 REQUIRED IMPORTED_TARGET liblz4)
korvel_add_bench(bench_compress ${CMAKE_CURRENT_LIST_DIR}/compress_bench.cpp)
target_link_libraries(bench_compress PRIVATE PkgConfig::LZ4 ZLIB::ZLIB)
target_compile_definitions(bench_compress PRIVATE
  KORVEL_WORDLIST_PATH="${CMAKE_SOURCE_DIR}/resources/wordlist/words.txt")
