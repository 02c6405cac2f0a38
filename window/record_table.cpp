#include "window/record_table.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QHeaderView>

QTableWidget* recordTable(QWidget* parent, const QString& accessibleName,
                          const QStringList& columns) {
  auto* table = new QTableWidget(parent);
  table->setAccessibleName(accessibleName);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setTabKeyNavigation(false);
  table->verticalHeader()->hide();
  table->setColumnCount(static_cast<int>(columns.size()));
  table->setHorizontalHeaderLabels(columns);
  table->horizontalHeader()->setStretchLastSection(true);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return table;
}

QTableView* recordView(QWidget* parent, const QString& accessibleName, QAbstractItemModel* model) {
  auto* view = new QTableView(parent);
  view->setAccessibleName(accessibleName);
  view->setModel(model);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setTabKeyNavigation(false);
  view->setWordWrap(false);
  view->setTextElideMode(Qt::ElideRight);
  QHeaderView* rows = view->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(view->fontMetrics().height() + 6);
  QHeaderView* columns = view->horizontalHeader();
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setStretchLastSection(true);
  return view;
}

void fitColumn(QTableView* view, int column, const QStringList& texts, int most) {
  const QFontMetrics metrics(view->font());
  const QFontMetrics title(view->horizontalHeader()->font());
  const QString heading =
      view->model() ? view->model()->headerData(column, Qt::Horizontal).toString() : QString();
  int width = title.horizontalAdvance(heading) + 24;
  for (const QString& t : texts) width = std::max(width, metrics.horizontalAdvance(t) + 16);
  view->setColumnWidth(column, std::min(width, most));
}

