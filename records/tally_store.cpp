#include "records/tally_store.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "records/lzrw1.h"
#include "records/lzrw1_errors.h"

namespace korvel::records {

namespace fs = std::filesystem;

fs::path chooseTallyFolder(const fs::path& programDir, const fs::path& userDataDir) {
  if (!programDir.empty() && ::access(programDir.c_str(), W_OK) == 0) return programDir;
  std::error_code ec;
  fs::create_directories(userDataDir, ec);
  return userDataDir;
}

std::optional<std::string> TallyStore::load() {
  record_ = TallyRecord();
  std::error_code ec;
  if (!fs::exists(file_, ec)) return std::nullopt;
  try {
    std::ifstream in(file_, std::ios::binary);
    if (!in) throw ELzrw1Exception(lzrw1_messages::openInput(file_.string()));
    const std::vector<std::uint8_t> container((std::istreambuf_iterator<char>(in)),
                                              std::istreambuf_iterator<char>());
    const std::vector<std::uint8_t> text = decompressContainer(container, file_.string());
    record_.loadgrid(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    record_.loadtally();
    return std::nullopt;
  } catch (const std::exception& e) {
    record_.loadtally();
    fs::path aside = file_;
    aside += ".bad";
    fs::rename(file_, aside, ec);
    return std::string(e.what());
  }
}

bool TallyStore::save() const {
  fs::path next = file_;
  next += ".new";
  try {
    const std::string text = record_.grid().toText();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::vector<std::uint8_t> container =
        compressToContainer({bytes, text.size()}, TCompressMode::Fast, next.string());
    std::FILE* f = std::fopen(next.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(container.data(), 1, container.size(), f) == container.size();
    ok = std::fflush(f) == 0 && ok;
    ok = ::fsync(::fileno(f)) == 0 && ok;  // the rename must not land before the data
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok) fs::rename(next, file_, ec);
    if (!ok || ec) {
      fs::remove(next, ec);
      return false;
    }
    return true;
  } catch (const std::exception&) {
    std::error_code ec;
    fs::remove(next, ec);
    return false;
  }
}

void TallyStore::addgame(std::string_view winner, bool mine,
                         const std::vector<std::string>& playersInGame) {
  try {
    record_.addgame(winner, mine, playersInGame);
  } catch (const TallyConversionError&) {
    save();
    throw;
  }
  save();
}

bool TallyStore::follow(const std::string& name) {
  const bool added = record_.follow(name);
  if (added) save();
  return added;
}

void TallyStore::drop(int index) {
  record_.moverow(index + 1);
  save();
}

void TallyStore::reset() {
  record_.reset();
  save();
}

}  // namespace korvel::records
