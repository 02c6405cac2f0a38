#include "protocol/receive_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
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
  const auto honestLine = q.take();
  EXPECT_EQ(honestLine.text, "CMD_pass+2+");
  EXPECT_EQ(honestLine.origin, 20u);
  q.take();
  flood.arrive("CMD_chat+3+hi\xFF", q, 3, 30);
  EXPECT_EQ(q.size(), bound - 1);
  for (std::size_t i = 2; i < bound; ++i) ASSERT_EQ(q.take().text, "");
  EXPECT_EQ(q.take().text, "CMD_chat+3+hi");
  EXPECT_TRUE(q.empty());
}

TEST(ReceiveQueue, SeatsWithLinesWaitingTakeTurnsAndEachKeepsItsOrder) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, std::string>> appended;  // seat, line
    std::vector<std::string> taken;
  } cases[] = {
      {"one seat is first in, first out", {{0, "a"}, {0, "b"}, {0, "c"}}, {"a", "b", "c"}},
      {"a flood waits behind one line of every other seat",
       {{2, "f1"}, {2, "f2"}, {2, "f3"}, {2, "f4"}, {3, "x"}, {4, "y"}},
       {"f1", "x", "y", "f2", "f3", "f4"}},
      {"turns go round in the order seats began waiting",
       {{5, "a1"}, {1, "b1"}, {5, "a2"}, {1, "b2"}, {7, "c1"}, {5, "a3"}},
       {"a1", "b1", "c1", "a2", "b2", "a3"}},
  };
  for (const auto& c : cases) {
    ReceiveQueue q;
    for (const auto& [seat, line] : c.appended) q.append(line, seat, 1);
    EXPECT_EQ(q.size(), c.appended.size()) << c.what;
    EXPECT_EQ(drain(q), c.taken) << c.what;
  }

  // A seat that empties and begins waiting again takes its turn after the seats waiting now.
  ReceiveQueue q;
  q.append("a1", 1);
  q.append("b1", 2);
  q.append("b2", 2);
  q.append("c1", 3);
  EXPECT_EQ(q.take().text, "a1");
  q.append("a2", 1);
  EXPECT_EQ(drain(q), (std::vector<std::string>{"b1", "c1", "a2", "b2"}));
}

TEST(ReceiveQueue, DiscardRemovesADepartedConnectionsLinesAtOnce) {
  ReceiveQueue q;
  q.append("old1", 2, 20);
  q.append("other", 3, 30);
  q.append("old2", 2, 20);
  q.append("new1", 2, 21);  // a newcomer on the same seat
  EXPECT_EQ(q.discard(2, 20), 2u);
  EXPECT_EQ(q.size(), 2u);
  EXPECT_EQ(q.discard(2, 20), 0u);
  EXPECT_EQ(q.discard(4, 20), 0u);
  EXPECT_EQ(drain(q), (std::vector<std::string>{"new1", "other"}));

  // A seat whose lines are all gone gives up its turn and its budget.
  q.append("x", 2, 20);
  q.append("y", 3, 30);
  EXPECT_EQ(q.discard(2, 20), 1u);
  EXPECT_EQ(drain(q), (std::vector<std::string>{"y"}));
  const std::size_t bound = ReceiveQueue::kMaxQueuedPerSeat / ReceiveQueue::kEntryCost;
  for (std::size_t i = 0; i <= bound; ++i) q.append("", 2, 20);
  EXPECT_EQ(q.size(), bound);
  EXPECT_EQ(q.discard(2, 20), bound);
  EXPECT_TRUE(q.empty());
  EXPECT_EQ(q.take().text, "");
  q.append("z", 2, 21);
  EXPECT_EQ(drain(q), (std::vector<std::string>{"z"}));
}
