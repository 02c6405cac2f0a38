#pragma once
// What the dialogs share of the main window's look: its font and its background picture.

#include <QFont>
#include <QWidget>

namespace dialoglook {

QFont arial(int pixels, bool bold = false);

// Fixes the window at the size its layout asks for and paints the main window's background
// picture behind it.
void useWindowBackground(QWidget* window);

}  // namespace dialoglook
