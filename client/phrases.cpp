#include "client/phrases.h"

#include "protocol/message.h"

namespace korvel::client {

const std::array<const char*, kPhrases> kBuiltinPhrases = {
    "Way To Go!", "Good One!", "Nice Try!",         "Excellent!",          "Brilliant!",
    "Wow, WTG!",  "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!",
};

const std::array<const char*, 13> kClipTitles = {
    "<Cancel>", "Doh",      "Cough", "Hello",   "Thank You", "Where have you been?",
    "Snoring",  "Sneezing", "Sorry", "Welcome", "Yeehaa",    "Yippee",
    "Oh No",
};

std::string phraseMessage(int myplayer, std::string_view phrase, std::string_view actionColour) {
  std::string text = phrase.substr(0, 4) == "/me " ? std::string(phrase.substr(4))
                                                   : "says: " + std::string(phrase);
  return protocol::toserver::action(myplayer, text + "|" + std::string(actionColour));
}

std::optional<std::string> inputMessage(int myplayer, std::string_view input,
                                        std::string_view textColour,
                                        std::string_view actionColour) {
  if (input.empty()) return std::nullopt;
  if (input[0] != '/') {
    return protocol::toserver::chat(myplayer, std::string(input) + "|" + std::string(textColour));
  }
  if (input.substr(0, 3) != "/me") return std::nullopt;
  const std::string_view action = input.size() > 4 ? input.substr(4) : std::string_view();
  return protocol::toserver::action(myplayer,
                                    std::string(action) + "|" + std::string(actionColour));
}

std::optional<std::string> clipMessage(int myplayer, int clip) {
  if (clip < 1 || clip > 12) return std::nullopt;
  return protocol::toserver::playasound(myplayer, clip);
}

bool isVoiceClip(std::string_view name) {
  for (int n = 1; n <= kVoiceClips; ++n) {
    if (name == "wave" + std::to_string(n)) return true;
  }
  return false;
}

std::optional<ReceivedClip> readClip(std::string_view argument) {
  protocol::FieldReader r(argument);
  try {
    ReceivedClip clip;
    clip.seat = r.intField();
    const auto plus = r.rest().find('+');
    clip.name = r.rest().substr(0, plus);
    // A peer may ask for a voice clip, never for one of the game's own cues ("gameover").
    if (!isVoiceClip(clip.name)) return std::nullopt;
    return clip;
  } catch (const protocol::ParseError&) {
    return std::nullopt;
  }
}

std::optional<std::string> clipLine(const std::string& playerName, std::string_view clipName) {
  if (playerName.empty()) return std::nullopt;
  for (int n = 1; n <= 12; ++n) {
    if (clipName == "wave" + std::to_string(n))
      return "0+" + playerName + ": <Chatter Sound> " + kClipTitles[n];
  }
  return std::nullopt;
}

}  // namespace korvel::client
