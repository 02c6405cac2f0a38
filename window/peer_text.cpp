#include "window/peer_text.h"

#include <QLabel>

#include "protocol/text_encoding.h"

QString peerText(std::string_view bytes) {
  const std::string text = korvel::protocol::cleanTextFromBytes(bytes);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void setPeerText(QLabel* label, const QString& text) {
  if (label->textFormat() != Qt::PlainText) label->setTextFormat(Qt::PlainText);
  if (label->text() != text) label->setText(text);
}

void setPeerText(QLabel* label, std::string_view bytes) {
  setPeerText(label, peerText(bytes));
}

QString plainToolTip(const QString& text) {
  if (text.isEmpty()) return {};
  return "<p style='white-space:pre'>" + text.toHtmlEscaped() + "</p>";
}

void setPeerToolTip(QWidget* widget, const QString& text) {
  const QString tip = plainToolTip(text);
  if (widget->toolTip() != tip) widget->setToolTip(tip);
}

std::string wireText(const QString& text) {
  return text.toUtf8().toStdString();
}
