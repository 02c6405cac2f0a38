#include "protocol/receive_queue.h"

#include <gtest/gtest.h>

#include <vector>

using namespace korvel::protocol;

namespace {

std::vector<std::string> drain(ReceiveQueue& q) {
  std::vector<std::string> out;
  while (!q.empty()) out.push_back(q.take().text);
  return out;
}

}  // namespace

TEST(ReceiveQueue, FramesArrivalsIntoEntries) {
  const std::string FF(1, '\xFF');
  struct Case {
    const char* what;
    std::vector<std::string> arrivals;
    std::vector<std::string> entries;
    std::string tail;
  } cases[] = {
      {"two messages in one arrival",
       {"CMD_pass+3+" + FF + "CMD_timeup+" + FF},
       {"CMD_pass+3+", "CMD_timeup+"},
       ""},
      {"split over two arrivals", {"CMD_pa", "ss+3+" + FF}, {"CMD_pass+3+"}, ""},
      {"arrival without terminator", {"CMD_pass+3+"}, {}, "CMD_pass+3+"},
      {"two terminators give an empty entry",
       {"CMD_logininfo+2+1.0.2+Red" + FF + FF},
       {"CMD_logininfo+2+1.0.2+Red", ""},
       ""},
      {"line without plus", {"hello" + FF}, {"hello"}, ""},
      {"CR LF splits a message", {"CMD_chat+1+a\r\nb" + FF}, {"CMD_chat+1+a", "b"}, ""},
      {"lone CR or LF does not split", {"a\rb\nc" + FF}, {"a\rb\nc"}, ""},
      {"5000 characters come out as 4096",
       {std::string(5000, 'x') + FF},
       {std::string(4096, 'x')},
       ""},
      {"text after last terminator waits", {"a" + FF + "b"}, {"a"}, "b"},
  };
  for (const auto& c : cases) {
    ReceiveQueue q;
    Deframer d;
    for (const auto& a : c.arrivals) d.arrive(a, q, 3);
    EXPECT_EQ(drain(q), c.entries) << c.what;
    EXPECT_EQ(d.pendingTail(), c.tail) << c.what;
  }
}

TEST(ReceiveQueue, KeepsOrderAndSeatAndYieldsEmptyWhenDrained) {
  ReceiveQueue q;
  Deframer a, b;
  a.arrive(
      "A1\xFF"
      "A2",
      q, 2);
  b.arrive("B1\xFF", q, 5);
  a.arrive("\xFF", q, 2);
  ASSERT_EQ(q.size(), 3u);
  auto first = q.take();
  EXPECT_EQ(first.text, "A1");
  EXPECT_EQ(first.seat, 2);
  auto second = q.take();
  EXPECT_EQ(second.text, "B1");
  EXPECT_EQ(second.seat, 5);
  EXPECT_EQ(q.take().text, "A2");
  auto none = q.take();
  EXPECT_EQ(none.text, "");
  EXPECT_EQ(none.seat, 0);
}

TEST(ReceiveQueue, CapsAPeersUnterminatedTail) {
  ReceiveQueue q;
  Deframer d;
  std::string chunk(32768, 'x');
  for (int i = 0; i < 10; ++i) d.arrive(chunk, q);
  EXPECT_EQ(d.pendingTail().size(), Deframer::kMaxPendingTail);
  d.arrive("\xFF", q);
  EXPECT_EQ(q.take().text.size(), ReceiveQueue::kMaxEntry);
  EXPECT_TRUE(d.pendingTail().empty());
}

TEST(ReceiveQueue, AFloodingSeatLosesOnlyItsOwnMessages) {
  ReceiveQueue q;
  Deframer flood, honest;
  const std::string burst(64 * 1024, '\xFF');  // 65,536 empty messages per arrival
  for (int i = 0; i < 64; ++i) flood.arrive(burst, q, 3, 30);
  const std::size_t bound = ReceiveQueue::kMaxQueuedPerSeat / ReceiveQueue::kEntryCost;
  EXPECT_EQ(q.size(), bound);
  honest.arrive("CMD_pass+2+\xFF", q, 2, 20);
  ASSERT_EQ(q.size(), bound + 1);

  // Taking frees the flooding seat's budget again, and lines keep seat and origin.
  const auto first = q.take();
  EXPECT_EQ(first.seat, 3);
  EXPECT_EQ(first.origin, 30u);
  q.take();
  flood.arrive("CMD_chat+3+hi\xFF", q, 3, 30);
  EXPECT_EQ(q.size(), bound);
  for (std::size_t i = 2; i < bound; ++i) q.take();
  const auto honestLine = q.take();
  EXPECT_EQ(honestLine.text, "CMD_pass+2+");
  EXPECT_EQ(honestLine.origin, 20u);
  EXPECT_EQ(q.take().text, "CMD_chat+3+hi");
  EXPECT_TRUE(q.empty());
}
