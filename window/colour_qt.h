#pragma once
// Colour values of the colour text (0x00BBGGRR, system colours from 0x80000000) as Qt colours
// and back.

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include "client/colour_text.h"

inline QColor toQColor(korvel::client::Colour c) {
  if (c & 0x80000000u) {
    // A system colour: the desktop's own where Qt knows an equivalent, else the text colour.
    const QPalette pal = QGuiApplication::palette();
    switch (c & 0xFFu) {
      case 5:  // clWindow
        return pal.color(QPalette::Base);
      case 13:  // clHighlight
        return pal.color(QPalette::Highlight);
      case 14:  // clHighlightText
        return pal.color(QPalette::HighlightedText);
      case 15:  // clBtnFace
        return pal.color(QPalette::Button);
      case 17:  // clGrayText
        return pal.color(QPalette::PlaceholderText);
      default:
        return pal.color(QPalette::WindowText);
    }
  }
  if (c == 0x1FFFFFFFu) return QColor(Qt::black);  // clNone
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

inline korvel::client::Colour fromQColor(const QColor& c) {
  return static_cast<korvel::client::Colour>(c.red()) |
         (static_cast<korvel::client::Colour>(c.green()) << 8) |
         (static_cast<korvel::client::Colour>(c.blue()) << 16);
}
