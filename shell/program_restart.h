#pragma once
// Starting the program again with the same command line, for a change that only takes effect at
// start-up (Options, "Zoom"). The new copy starts when this object is destroyed: declared right
// after the application object, that is after the windows, the server's port, the lobby link
// and the single-instance guard are gone, so the new copy can take them all.

#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class ProgramRestart {
 public:
  // arguments: the command line exactly as the program was given it, argv[0] first, as bytes (a
  // name that is not valid in the locale's encoding comes back unchanged). procExe leads to the
  // running program file (tests pass another process's). The new copy gets the environment the
  // program was given (korvel::app::startEnvironment()), so the zoom is applied once, not on top
  // of this copy's, and nothing this copy set for itself reaches it.
  explicit ProgramRestart(std::vector<std::string> arguments,
                          std::filesystem::path procExe = "/proc/self/exe");
  ~ProgramRestart();
  ProgramRestart(const ProgramRestart&) = delete;
  ProgramRestart& operator=(const ProgramRestart&) = delete;

  // Asks for the new copy, checked before anything closes: when the running program file was
  // deleted or replaced since it started, nothing is asked for and the reason comes back in
  // words, so the caller can say so and keep running.
  std::optional<std::string> request();
  // Asks for a new copy with another command line (the Play with Others window's host and
  // join; arguments without the program's name), reaching the game on gamePort (KORVEL_PORT for
  // the new copy). ownPort, the port this user's own games use, goes along as KORVEL_OWN_PORT, so
  // that a copy started to join a game on another port still hosts, and reads addresses without
  // a port, on the user's own. Checked like request().
  // portMapping sets KORVEL_PORT_MAPPING=1 for the new copy (a host that asks the router to
  // forward its port); false leaves the variable out.
  std::optional<std::string> request(const QStringList& arguments, int gamePort, int ownPort,
                                     bool portMapping = false);
  bool requested() const { return requested_; }

 private:
  std::vector<std::string> arguments_;
  std::filesystem::path procExe_;
  std::string file_;  // the program file, as it was when the restart was asked for
  bool requested_ = false;
  int gamePort_ = 0;  // 0: the port this copy was given
  int ownPort_ = 0;
  std::optional<bool> portMapping_;  // unset: as this copy was given
};
