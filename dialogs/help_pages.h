#pragma once
// The help dialog's topics: button caption, the number of the page it shows, and the page as
// HTML.

#include <string>
#include <vector>

namespace korvel::dialogs {

struct HelpTopic {
  int tag;              // the page is "memo" + tag
  const char* caption;  // the button's caption, also the page's heading
  std::string html;
};

// Everything the help says about computer players, in one paragraph of the Options page, so that
// it goes with them if they do.
extern const char* const kComputerPlayersHelp;
// What the computer levels do, in one paragraph at the end of the Game Play page.
extern const char* const kComputerLevelsHelp;

// The topics in the order of their buttons: Overview, Connecting, Game Play, Scoring, Options,
// Documentation.
std::vector<HelpTopic> helpTopics();

}  // namespace korvel::dialogs
