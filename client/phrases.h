#pragma once
// Phrase buttons and voice clips: the built-in phrases, the messages a phrase or a clip sends,
// the chat line that stands in for a clip when clips are turned off, and the phrase cool-down.

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::client {

inline constexpr int kPhrases = 9;
inline constexpr std::size_t kMaxPhraseLength = 50;
extern const std::array<const char*, kPhrases> kBuiltinPhrases;
// Titles of the clips the sound menu offers, wave1 to wave12 ("<Cancel>" is entry 0).
extern const std::array<const char*, 13> kClipTitles;

// "CMD_action" for a phrase: "/me " phrases are actions of their own, any other phrase is said.
std::string phraseMessage(int myplayer, std::string_view phrase, std::string_view actionColour);
// What the chat input sends: "CMD_chat" with the text colour, "CMD_action" for "/me" (the text
// after its first four characters) with the action colour; nothing for an empty input or any
// other text beginning with "/".
std::optional<std::string> inputMessage(int myplayer, std::string_view input,
                                        std::string_view textColour, std::string_view actionColour);
// "CMD_playasound" for clip 1 to 12; nullopt for "<Cancel>" (0) and anything else.
std::optional<std::string> clipMessage(int myplayer, int clip);

// A received clip: the sender's seat and the clip name ("wave" + n).
struct ReceivedClip {
  int seat = 0;
  std::string name;
};
// nullopt when the argument does not read or names no voice clip.
std::optional<ReceivedClip> readClip(std::string_view argument);
// The voice clips a peer may make others hear: "wave1" to "wave20".
inline constexpr int kVoiceClips = 20;
bool isVoiceClip(std::string_view name);
// The chat line shown instead of a clip: the player's name as head, "<Chatter Sound>" and the
// clip's title. nullopt when the seat shows no player name or the clip has no menu title.
std::optional<std::string> clipLine(const std::string& playerName, std::string_view clipName);

// A phrase button works at most once every two seconds of real time.
class PhraseCooldown {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kPause{2000};
  bool ready(Clock::time_point now) const { return !last_ || now - *last_ >= kPause; }
  void used(Clock::time_point now) { last_ = now; }

 private:
  std::optional<Clock::time_point> last_;
};

}  // namespace korvel::client
