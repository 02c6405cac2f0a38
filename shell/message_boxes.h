#pragma once
// Message boxes go through this interface so that tests replace them and never block on a modal
// dialog. The program uses the QMessageBox implementation unless another one is installed.
//
// An OK box never stops the program underneath it. The game runs everything on the GUI thread,
// and Qt never fires a timer again while that timer's own slot is still running, not even inside
// the nested event loop of a modal box; a box shown from inside a queue tick (socktimer, Timer1)
// or the turn clock (timer1) would therefore freeze that queue or clock until the user pressed
// OK. So showMessage() only records the box and returns at once; the box is presented from the
// event loop after the handler that asked for it has finished, and the queues, the clocks and the
// sockets go on while it is open.

#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class MessageBoxes {
 public:
  MessageBoxes();
  virtual ~MessageBoxes();
  MessageBoxes(const MessageBoxes&) = delete;
  MessageBoxes& operator=(const MessageBoxes&) = delete;

  // An OK box with the text (errors and notices). Returns at once, without running the event
  // loop, so it may be called from any handler, a queue tick included. The box is presented
  // from the event loop once the event being handled now has finished. Boxes are presented one
  // at a time, in the order asked for: the next one opens when the one before it is dismissed.
  // `then`, when given, runs once, from the event loop, after the user has dismissed this box
  // (for example "Game is full", then the window closes). It does not run when the box is never
  // dismissed: the program ends first, or this MessageBoxes object is destroyed first.
  // A box without `then` that repeats the text of the last box still waiting to open (also
  // without `then`) is not added again, so an error met on every tick while a box is open does
  // not pile up a box per tick.
  void showMessage(const QString& text, std::function<void()> then = {});

  // A Yes/No box; true for Yes. Waits for the answer in a nested event loop, so it is only for
  // answering a user's own click, never from a queue tick, a timer or a socket event.
  virtual bool askYesNo(const QString& text) = 0;

  // Boxes asked for by showMessage and not yet dismissed, the one presented now included.
  std::size_t pendingMessages() const { return queue_.size(); }

 protected:
  // Presents one OK box. Called from the event loop only, never from inside the handler that
  // asked for the box, and only while no other box of this object is presented. It must call
  // `dismissed` exactly once, when the user has dismissed the box; it may return before that
  // (the real box does) or only after it (a test's stand-in that holds the box open by running
  // a nested event loop).
  virtual void presentMessage(const QString& text, std::function<void()> dismissed) = 0;

 private:
  struct Pending {
    QString text;
    std::function<void()> then;
  };
  void postNext();
  void presentNext();
  void finishPresented();

  std::deque<Pending> queue_;
  bool presenting_ = false;
  bool posted_ = false;
  // Lets a presentation posted to the event loop, and a late `dismissed`, find out that this
  // object is gone.
  std::shared_ptr<MessageBoxes*> self_;
};

// The process-wide message boxes. Defaults to real QMessageBox dialogs.
MessageBoxes& messageBoxes();
// Replaces them (tests install a recorder); nullptr restores the default.
void setMessageBoxes(MessageBoxes* boxes);
// The error reporter of a program with a window: a socket's or the server's error in a box, as
// plain text (setErrorReporter(showReportedError)).
void showReportedError(const std::string& text);
