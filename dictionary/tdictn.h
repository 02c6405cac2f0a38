#pragma once
// The word list component `TDictn`: writes the word list blob "TEXT_DEMO" to the working file
// "English" inside a private working directory, keeps that file open and answers `IsWord` by a
// binary search that reads one 15-byte record per probe. Nothing of the list is held in memory
// besides the one record buffer.
//
// Record format (no header, count or terminator between records): the marker byte 0x1E, then the
// word in upper-case ASCII, left-aligned and padded with spaces to 14 bytes. Records are in
// ascending order of the word padded with spaces to 15 characters.
//
// All calls come from one thread; a query moves the single file position, so one query finishes
// before the next begins.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace korvel {

class TDictn {
 public:
  // Shows a text to the user (a message box in the program, a recorder in tests).
  using Notifier = std::function<void(const std::string&)>;

  static constexpr int kRecordSize = 15;
  // Compared form of a word: padded with spaces to this width (one more than the stored field).
  static constexpr std::size_t kCompareWidth = 15;
  static constexpr char kMarker = '\x1E';
  static constexpr const char* kFileName = "English";
  static constexpr const char* kNotFoundMessage = "English.dic dictionary not found!";

  // Opens the word list:
  // 1. an existing file "English" in workDir is used unchanged;
  // 2. otherwise a non-empty blob is written to workDir/"English" (an empty blob means the list
  //    is absent and nothing is written);
  // 3. the file is opened for reading; the last index is (size div 15) - 1.
  // If it cannot be opened, notify receives kNotFoundMessage once and every query answers false.
  // workDir is a private directory made for this process, never the current directory; an empty
  // workDir counts as no directory (nothing written, list not found).
  // Throws std::system_error when "English" cannot be created or written.
  TDictn(std::string_view blob, std::filesystem::path workDir, Notifier notify);
  // Closes the file and deletes workDir/"English"; errors of either step are ignored.
  ~TDictn();

  TDictn(const TDictn&) = delete;
  TDictn& operator=(const TDictn&) = delete;

  // True when the word is in the list. Case and surrounding spaces do not matter; a zero byte
  // counts as a space. Empty words, words with an inner space and words of 15 or more letters
  // answer false. A read that does not deliver a whole record ends that search with false.
  bool IsWord(std::string_view word);

  // True once the working file was opened.
  bool isOpen() const { return fd_ >= 0; }
  // Number of whole records in the working file at opening.
  std::int64_t recordCount() const { return lastIndex_ + 1; }
  // Record reads made since creation (one per binary-search probe).
  std::uint64_t probeCount() const { return probes_; }
  // Where the working file lives.
  const std::filesystem::path& filePath() const { return filePath_; }

 private:
  // Reads the record at index into record (15 bytes); false when not all 15 arrive.
  bool readRecord(std::int64_t index, char* record);

  std::filesystem::path filePath_;
  int fd_ = -1;
  std::int64_t lastIndex_ = -1;
  std::uint64_t probes_ = 0;
};

// Sets target to the lower-case letter of a tile code: 1 -> "a" ... 26 -> "z". Any other code
// leaves target as it was.
void numbertoletter(int code, std::string& target);

}  // namespace korvel
