#pragma once
// Message boxes go through this interface so that tests replace them and never block on a modal
// dialog. The program installs the QMessageBox implementation at start-up.

#include <QString>

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // An OK box with the text (errors and notices).
  virtual void showMessage(const QString& text) = 0;
  // A Yes/No box; true for Yes.
  virtual bool askYesNo(const QString& text) = 0;
};

// The process-wide message boxes. Defaults to real QMessageBox dialogs.
MessageBoxes& messageBoxes();
// Replaces them (tests install a recorder); nullptr restores the default.
void setMessageBoxes(MessageBoxes* boxes);
