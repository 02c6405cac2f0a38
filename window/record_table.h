#pragma once
// The read-only tables of the game's record (history, summary, past games, review): rows are
// chosen whole, the arrow keys move in them and Tab leaves them, every column shows its text
// whole and the last one takes the width that is left.

#include <QStringList>
#include <QTableView>
#include <QTableWidget>

class QAbstractItemModel;

QTableWidget* recordTable(QWidget* parent, const QString& accessibleName,
                          const QStringList& columns = {});

// The same look over a model. The view never measures its rows: every row has the font's height
// and the columns keep the widths they are given (see fitColumn), so a table of any length
// costs a new row or a changed cell only what is on screen.
QTableView* recordView(QWidget* parent, const QString& accessibleName, QAbstractItemModel* model);
// Sets the column wide enough for its title and each of the texts, and no wider than `most`
// pixels (text past that is elided; the cell's tooltip holds it whole).
void fitColumn(QTableView* view, int column, const QStringList& texts, int most = 10000);

