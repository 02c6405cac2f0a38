#pragma once
// The desktop's web handler and program starter, behind an interface that tests replace (the
// same way as message boxes). The program uses QDesktopServices and QProcess unless another
// implementation is installed.

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

class DesktopServices {
 public:
  DesktopServices() = default;
  virtual ~DesktopServices() = default;
  DesktopServices(const DesktopServices&) = delete;
  DesktopServices& operator=(const DesktopServices&) = delete;

  // Opens a web address with the user's browser. Only http:// and https:// addresses are handed
  // on; any other is refused (false) without reaching the desktop.
  bool openUrl(const QString& address);

  // Starts a program file with arguments, detached from this process; false when it could not
  // be started. Like the browser, it gets the environment the program was given, not the one
  // the program set for itself (korvel::app::startEnvironment()).
  virtual bool startProgram(const QString& path, const QStringList& arguments) = 0;

  // Starts a program file with argv (argv[0] first) and environment exactly as these bytes, in
  // a session of its own; false when it could not be started. Used for starting this program
  // again, whose arguments may be in any encoding.
  virtual bool startProgramAsGiven(const std::string& file, const std::vector<std::string>& argv,
                                   const std::vector<std::string>& environment);

 protected:
  // Hands a checked web address to the desktop; true when the desktop accepted it.
  virtual bool launchUrl(const QString& address) = 0;
};

// The desktop's own: the browser through xdg-open (or $BROWSER), programs through QProcess. Each
// child is given its environment directly; the program's own environment is never changed.
class SystemDesktopServices : public DesktopServices {
 public:
  // The environment children start with: the one the program was given
  // (korvel::app::startEnvironment()) unless set.
  std::optional<std::vector<std::string>> childEnvironment;

  bool startProgram(const QString& path, const QStringList& arguments) override;

 protected:
  bool launchUrl(const QString& address) override;

 private:
  std::vector<std::string> environment() const;
  bool startDetached(const std::string& file, const QStringList& arguments);
};

// The process-wide services. Defaults to the desktop's own.
DesktopServices& desktopServices();
// Replaces them (tests install a recorder); nullptr restores the default.
void setDesktopServices(DesktopServices* services);
