#pragma once
// The Qt side of the word list: the blob "TEXT_DEMO" embedded through the Qt resource system, and
// the server window's `spellit` with its working file "English" in a private directory made for
// this process (under $XDG_RUNTIME_DIR, else the temp directory), never the current directory.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "dictionary/tdictn.h"

namespace korvel {

// Where the build puts the word list blob in the Qt resource system.
inline constexpr const char* kTextDemoResource = ":/TEXT_DEMO";

// The embedded word list blob; empty when the resource is missing.
QByteArray embeddedTextDemo();

// Creates `spellit` over the embedded blob. Its working directory is new, private to this process
// and removed at process exit (after `spellit` has deleted "English" on destruction). notify shows
// "English.dic dictionary not found!" when the list cannot be opened, or the error text when the
// working file cannot be written; either way the result answers every query with false.
std::unique_ptr<TDictn> makeSpellit(std::function<void(const std::string&)> notify);

// The same over a given blob (an empty blob means the list is absent).
std::unique_ptr<TDictn> makeSpellit(std::string_view blob,
                                    std::function<void(const std::string&)> notify);

// The directory that private working directories are made in: $XDG_RUNTIME_DIR when it names an
// existing directory, else the temp directory.
QString workingDirectoryBase();

}  // namespace korvel
