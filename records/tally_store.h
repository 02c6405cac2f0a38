#pragma once
// The tally on disk: "Korveltally.tld", a Fast container of the tally's text. The text is made
// and read in memory. A save writes a new file beside the old one and renames it over it, so a
// failed save keeps the previous tally; a file that cannot be read is kept aside under the first
// free name of "Korveltally.tld.bad", ".bad-2", ... before anything replaces it. Something other
// than a regular file of at most kTallyReadLimit bytes in its place (a FIFO, a device, a link to
// one, a huge file) is neither read nor replaced. Every change is saved at once, so a run that
// does not end normally loses nothing.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/tally_record.h"

namespace korvel::records {

inline constexpr const char* kTallyFileName = "Korveltally.tld";
// Far above any tally the program writes (a few kilobytes for hundreds of opponents).
inline constexpr std::size_t kTallyReadLimit = 16u << 20;

// The folder for the tally: the program's own folder when it is writable, else the per-user data
// folder (created when missing). The caller passes both, since finding them is the platform's
// business.
std::filesystem::path chooseTallyFolder(const std::filesystem::path& programDir,
                                        const std::filesystem::path& userDataDir);

class TallyStore {
 public:
  explicit TallyStore(std::filesystem::path file) : file_(std::move(file)) {}

  const std::filesystem::path& file() const { return file_; }
  const TallyRecord& record() const { return record_; }

  // Starts from an empty record and loads the file when it exists. When the file cannot be
  // decompressed or read, returns a message saying so in words (for the caller to show once),
  // sets the file aside (see above) and goes on with what was loaded before the failure. When
  // the name holds something that is not a regular file, or a huge one, returns a message and
  // leaves it alone: nothing is saved over it in this run.
  std::optional<std::string> load();

  // Writes the record; false when that failed (the previous file is then unchanged) or when the
  // file is left alone. Never throws: a failed save must not disturb the game.
  bool save() const;

  // The record's changes, each followed by a save. addgame saves also when a counter cell
  // stops it with TallyConversionError, which it passes on.
  void addgame(std::string_view winner, bool mine, const std::vector<std::string>& playersInGame);
  bool follow(const std::string& name);
  // Stops following the opponent at list position index (row index + 1).
  void drop(int index);
  void reset();

 private:
  std::filesystem::path file_;
  TallyRecord record_;
  bool writable_ = true;
};

}  // namespace korvel::records
