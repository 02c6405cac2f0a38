#include "client/record_table.h"

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
