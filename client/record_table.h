#pragma once
// The read-only tables of the game's record (history, summary, past games, review): rows are
// chosen whole, the arrow keys move in them and Tab leaves them, every column shows its text
// whole and the last one takes the width that is left.

#include <QStringList>
#include <QTableWidget>

QTableWidget* recordTable(QWidget* parent, const QString& accessibleName,
                          const QStringList& columns = {});
