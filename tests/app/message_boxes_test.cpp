// The message-box interface: an OK box never opens inside the handler that asked for it, boxes
// come one at a time and in order, and a continuation runs once its box has been dismissed.
#include "shell/message_boxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Holds each box open until the test dismisses it.
class HeldBoxes : public MessageBoxes {
 public:
  bool askYesNo(const QString&) override { return true; }
  QStringList presented;
  std::vector<std::function<void()>> open;

 protected:
  void presentMessage(const QString& text, std::function<void()> dismissed) override {
    presented << text;
    open.push_back(std::move(dismissed));
  }
};

QMessageBox* visibleBox() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
  }
  return nullptr;
}

}  // namespace

TEST(MessageBoxes, ABoxOpensAfterTheHandlerThatAskedForItOneAtATimeInOrder) {
  HeldBoxes boxes;
  std::vector<std::string> order;
  QTimer tick;
  tick.setSingleShot(true);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    boxes.showMessage("first", [&] { order.push_back("then first"); });
    boxes.showMessage("second");
    boxes.showMessage("third", [&] { order.push_back("then third"); });
    // Nothing is open while the handler runs.
    EXPECT_TRUE(boxes.presented.isEmpty());
    EXPECT_EQ(boxes.pendingMessages(), 3u);
  });
  tick.start(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.presented.isEmpty(); }, 5000));
  QTest::qWait(20);
  EXPECT_EQ(boxes.presented, QStringList{"first"}) << "the next waits for the one before";
  EXPECT_TRUE(order.empty()) << "the continuation waits for the dismissal";

  boxes.open.back()();
  boxes.open.back()();  // a second call changes nothing
  EXPECT_EQ(order, std::vector<std::string>{"then first"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.presented.size() == 2; }, 5000));
  EXPECT_EQ(boxes.presented.back(), "second");
  boxes.open.back()();
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.presented.size() == 3; }, 5000));
  boxes.open.back()();
  EXPECT_EQ(order, (std::vector<std::string>{"then first", "then third"}));
  EXPECT_EQ(boxes.pendingMessages(), 0u);
}

TEST(MessageBoxes, NoContinuationRunsForBoxesOfADestroyedObject) {
  bool ran = false;
  std::function<void()> dismiss;
  {
    HeldBoxes boxes;
    boxes.showMessage("open", [&] { ran = true; });
    boxes.showMessage("never presented", [&] { ran = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.open.empty(); }, 5000));
    dismiss = boxes.open.front();
  }
  dismiss();
  QTest::qWait(20);
  EXPECT_FALSE(ran);
}

TEST(MessageBoxes, TheRealBoxDoesNotWaitAndRunsTheContinuationOnOk) {
  setMessageBoxes(nullptr);
  int thens = 0;
  QTimer tick;
  tick.setSingleShot(true);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    messageBoxes().showMessage("Game is full", [&] { ++thens; });
    messageBoxes().showMessage("Second", [&] { thens += 10; });
  });
  tick.start(0);
  // The box is open while this test's loop keeps running: nothing waits for it.
  ASSERT_TRUE(QTest::qWaitFor([] { return visibleBox() != nullptr; }, 5000));
  QMessageBox* box = visibleBox();
  EXPECT_EQ(box->text(), "Game is full");
  EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(thens, 0);
  QTest::qWait(20);
  EXPECT_EQ(visibleBox(), box) << "one box at a time";

  box->button(QMessageBox::Ok)->click();
  EXPECT_EQ(thens, 1);
  ASSERT_TRUE(QTest::qWaitFor(
      [] { return visibleBox() != nullptr && visibleBox()->text() == "Second"; }, 5000));
  visibleBox()->button(QMessageBox::Ok)->click();
  EXPECT_EQ(thens, 11);
  EXPECT_EQ(messageBoxes().pendingMessages(), 0u);
  ASSERT_TRUE(QTest::qWaitFor([] { return visibleBox() == nullptr; }, 5000));
}

TEST(MessageBoxes, ARepeatedBoxWaitingBehindAnOpenOneIsAskedForOnce) {
  HeldBoxes boxes;
  int thens = 0;
  boxes.showMessage("error");
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.open.size() == 1; }, 5000));
  for (int i = 0; i < 100; ++i) boxes.showMessage("error");
  boxes.showMessage("other");
  boxes.showMessage("error");
  boxes.showMessage("error", [&] { ++thens; });  // a continuation is never dropped
  boxes.showMessage("error", [&] { ++thens; });
  EXPECT_EQ(boxes.pendingMessages(), 6u);
  for (int i = 1; i < 6; ++i) {
    boxes.open.back()();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.open.size() == std::size_t(i + 1); }, 5000));
  }
  boxes.open.back()();
  EXPECT_EQ(boxes.presented, QStringList({"error", "error", "other", "error", "error", "error"}));
  EXPECT_EQ(thens, 2);
  EXPECT_EQ(boxes.pendingMessages(), 0u);
}

TEST(MessageBoxes, TheRealQuestionIsPlainTextAndEnterAnswersNo) {
  setMessageBoxes(nullptr);
  QMessageBox* seen = nullptr;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  Qt::TextFormat format = Qt::AutoText;
  QTimer answer;
  answer.setInterval(0);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QMessageBox* box = visibleBox();
    if (!box) return;
    answer.stop();
    seen = box;
    defaultButton = box->standardButton(box->defaultButton());
    format = box->textFormat();
    QTest::keyClick(box, Qt::Key_Return);
  });
  answer.start();
  const bool yes = messageBoxes().askYesNo("<b>Leave</b> this game?");
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(defaultButton, QMessageBox::No);
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_FALSE(yes) << "Enter gives the default answer";
}
