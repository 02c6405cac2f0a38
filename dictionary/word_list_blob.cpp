#include "dictionary/word_list_blob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <system_error>
#include <utility>
#include <vector>

namespace korvel {

namespace {

// The private working directories live until process exit; QTemporaryDir removes each with
// whatever is left in it. `spellit` is destroyed with the server window before that and deletes
// "English" itself; if it were leaked, the directory's removal still takes the file away.
std::vector<std::unique_ptr<QTemporaryDir>>& workingDirectories() {
  static std::vector<std::unique_ptr<QTemporaryDir>> dirs;
  return dirs;
}

}  // namespace

QByteArray embeddedTextDemo() {
  QFile file(QString::fromLatin1(kTextDemoResource));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QString workingDirectoryBase() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
  return QDir::tempPath();
}

std::unique_ptr<TDictn> makeSpellit(std::function<void(const std::string&)> notify) {
  const QByteArray blob = embeddedTextDemo();
  return makeSpellit(std::string_view(blob.constData(), static_cast<std::size_t>(blob.size())),
                     std::move(notify));
}

std::unique_ptr<TDictn> makeSpellit(std::string_view blob,
                                    std::function<void(const std::string&)> notify) {
  auto dir = std::make_unique<QTemporaryDir>(workingDirectoryBase() + "/korvel-XXXXXX");
  // An invalid directory leaves the path empty: TDictn then writes nothing and reports the list
  // as not found.
  std::filesystem::path path;
  if (dir->isValid()) path = QFile::encodeName(dir->path()).toStdString();
  workingDirectories().push_back(std::move(dir));
  try {
    return std::make_unique<TDictn>(blob, path, notify);
  } catch (const std::system_error& e) {
    // The working file could not be written: show why and go on with a list that is not open.
    if (notify) notify(e.what());
    return std::make_unique<TDictn>(std::string_view{}, std::filesystem::path{}, nullptr);
  }
}

}  // namespace korvel
