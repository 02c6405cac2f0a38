#include "records/tally_store.h"

#include <unistd.h>

#include <cstdio>
#include <new>

#include "records/lzrw1.h"
#include "records/lzrw1_errors.h"
#include "records/regular_file.h"

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
  writable_ = true;
  const FileRead read = readRegularFile(file_, kTallyReadLimit);
  if (read.status == FileReadStatus::Missing) return std::nullopt;
  if (read.status != FileReadStatus::Read) {
    // Something that is not our file stands in its place: never read further, never replace.
    record_.loadtally();
    writable_ = false;
    return "The tally file " + file_.string() + " " + fileReadProblem(read.status) +
           "; it was left alone, and games are not counted in it until the program starts " +
           "again.";
  }
  std::string reason;
  try {
    const auto* data = reinterpret_cast<const std::uint8_t*>(read.bytes.data());
    const std::vector<std::uint8_t> container(data, data + read.bytes.size());
    const std::vector<std::uint8_t> text = decompressContainer(container, file_.string());
    record_.loadgrid(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    record_.loadtally();
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    reason = "it needs more memory than there is";
  } catch (const std::exception& e) {
    reason = e.what();
  }
  record_.loadtally();
  const auto aside = setFileAside(file_);
  if (!aside) {
    // Kept where it is, so its bytes are not lost under a fresh tally.
    writable_ = false;
    return "The tally file could not be read (" + reason + "); it could not be set aside either, " +
           "so it was left as it is and games are not counted until the program starts again.";
  }
  return "The tally file could not be read (" + reason + "); it was set aside as " +
         aside->string() + " and a new tally was started.";
}

bool TallyStore::save() const {
  if (!writable_) return false;
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
