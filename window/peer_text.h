#pragma once
// Text that came from outside (peers, the server, the settings file, the tally) on its way to
// the screen, and text the player typed on its way out. Every label that shows such text gets
// it through setPeerText, which shows it as plain text: a name like "<img src=...>" is drawn as
// those characters, never read as markup (which could make the label load a local file).
// The encoding rule itself is korvel_core's (protocol/text_encoding.h).

#include <QString>
#include <string>
#include <string_view>

class QLabel;
class QWidget;

// The bytes as text by the program's one rule: UTF-8 when valid, else Windows-1252.
QString peerText(std::string_view bytes);
// Shows the text in the label as plain text; the label is not touched when it already shows it.
void setPeerText(QLabel* label, const QString& text);
void setPeerText(QLabel* label, std::string_view bytes);
// Tooltips and what's-this texts are rich text in Qt whenever they look like markup, so a peer's
// "<img src=...>" (or a phrase in the settings file) would make the tooltip load a local picture.
// plainToolTip escapes the text and keeps its spacing, so it shows as exactly those characters;
// "" stays "" (no tooltip). Every tooltip, what's-this and status tip that can hold text from a
// peer, the server or a file goes through it (window titles and accessible names are never
// markup). setPeerToolTip sets it on a widget, which is not touched when it already shows it.
QString plainToolTip(const QString& text);
void setPeerToolTip(QWidget* widget, const QString& text);
// Text typed by the player, as it goes over the wire or into a file: UTF-8.
std::string wireText(const QString& text);
