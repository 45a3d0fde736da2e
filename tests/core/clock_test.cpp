// The hourly clock and the scheduled messages, tick by tick.
#include <gtest/gtest.h>

#include "timesignal/clock_ticker.h"
#include "timesignal/scheduled_messages.h"

namespace mekuri {
namespace {

DateTime At(int h, int m, int s) { return DateTime{DateFromYmd(2004, 9, 10), h, m, s, 0}; }

struct TickLog {
  std::vector<std::u16string> sent;
  std::vector<int> windowAt;  // mmss of the ticks that opened the window
  std::vector<int> boldFrom, boldTo;
  int openAnswer = 0;
};

// Five ticks a second from `from` to `to` (seconds of the day, may pass midnight of the hour).
TickLog Ticks(ClockTicker& ticker, int fromSecond, int toSecond, bool everyHour, int openAnswer = 0) {
  TickLog run;
  bool bold = false;
  for (int t = fromSecond; t <= toSecond; ++t) {
    const int s = t % 86400;
    for (int k = 0; k < 5; ++k) {
      const ClockTick tick = ticker.Tick(At(s / 3600, s / 60 % 60, s % 60), everyHour, u"C:\\T\\",
                                         [&](const std::u16string& c) {
                                           run.sent.push_back(c);
                                           return c.rfind(u"open", 0) == 0 ? openAnswer : 0;
                                         });
      const int mmss = s / 60 % 60 * 100 + s % 60;
      if (tick.openWindow) run.windowAt.push_back(mmss);
      if (tick.setFont && tick.bold != bold) {
        (tick.bold ? run.boldFrom : run.boldTo).push_back(mmss);
        bold = tick.bold;
      }
    }
  }
  return run;
}

TEST(Clock, OneHourOpensPlaysAndClosesTheChimeOnceAndShowsTheWindowOnce) {
  ClockTicker ticker;
  const TickLog run = Ticks(ticker, 9 * 3600 + 59 * 60, 10 * 3600 + 60, true);
  ASSERT_GE(run.sent.size(), 3u);
  EXPECT_EQ(run.sent[0], u"open \"C:\\T\\Jihou.wav\" alias Mekurinote_Jihou");
  // Open is sent on every tick of hh:59:52, play once, close at hh:00:10.
  size_t opens = 0, plays = 0, closes = 0;
  for (const auto& c : run.sent) {
    opens += c.rfind(u"open", 0) == 0;
    plays += c == u"play Mekurinote_Jihou";
    closes += c == u"close Mekurinote_Jihou";
  }
  EXPECT_EQ(opens, 5u);
  EXPECT_EQ(plays, 1u);
  EXPECT_EQ(closes, 5u);
  EXPECT_EQ(run.windowAt, std::vector<int>{5959});
  EXPECT_EQ(run.boldFrom, std::vector<int>{5957});
  EXPECT_EQ(run.boldTo, std::vector<int>{2}) << "bold until the first tick at hh:00:02";
}

TEST(Clock, LateStartMissedTicksAndSwitchOff) {
  ClockTicker late;
  TickLog run = Ticks(late, 11 * 3600 + 59 * 60 + 55, 12 * 3600 + 20, true);
  for (const auto& c : run.sent) EXPECT_NE(c, u"play Mekurinote_Jihou") << "no chime after hh:59:52";
  EXPECT_EQ(run.windowAt, std::vector<int>{5959});

  ClockTicker missed;
  Ticks(missed, 11 * 3600 + 59 * 60 + 50, 11 * 3600 + 59 * 60 + 59, false);
  EXPECT_TRUE(missed.fWavePlaying);
  run = Ticks(missed, 12 * 3600 + 30, 12 * 3600 + 30, false);  // hh:00:10 never ticked
  EXPECT_EQ(run.sent.front(), u"close Mekurinote_Jihou");
  EXPECT_FALSE(missed.fWavePlaying);

  ClockTicker off;
  run = Ticks(off, 11 * 3600 + 59 * 60 + 50, 12 * 3600 + 5, false);
  EXPECT_TRUE(run.windowAt.empty());
  EXPECT_EQ(run.boldFrom, std::vector<int>{5957}) << "the bar still turns bold";

  ClockTicker noFile;
  run = Ticks(noFile, 11 * 3600 + 59 * 60 + 50, 12 * 3600 + 5, false, /*openAnswer=*/275);
  for (const auto& c : run.sent) EXPECT_NE(c, u"play Mekurinote_Jihou") << "a failed open plays nothing";
}

MessageTable Table(std::initializer_list<std::pair<std::string, std::string>> keys) {
  return LoadMessageTable([&](const std::string& key) {
    for (const auto& [k, v] : keys) {
      if (k == key) return v;
    }
    return std::string();
  });
}

TEST(ScheduledMessages, LoadingStopsAtTheFirstGapOrMalformedEntry) {
  EXPECT_EQ(Table({{"M01", "07:30/a"}, {"M03", "08:00/b"}})[2], u"");
  EXPECT_EQ(Table({{"M01", "07:30/a"}, {"M03", "08:00/b"}})[1], u"07:30/a");
  EXPECT_EQ(Table({{"M01", "7:30/a"}, {"M02", "08:00/b"}})[1], u"") << "one-digit hour empties the table";
  EXPECT_EQ(Table({{"M01", "12:00/"}})[1], u"12:00/");
  EXPECT_EQ(Table({{"M01", "12:00"}})[1], u"") << "five characters are too short";
  EXPECT_EQ(Table({{"M01", "12:00/" + std::string(101, 'x')}})[1], u"") << "text longer than 100";
  EXPECT_EQ(Table({{"M01", "25:70/never"}})[1], u"25:70/never") << "no range test";
  EXPECT_EQ(Table({{"M01", "12-00/x"}})[1], u"");
  EXPECT_EQ(Table({{"M01", "12:00/\x83\x81\x83\x82"}})[1], u"12:00/メモ");
}

TEST(ScheduledMessages, EachEntryFiresOnceAtTheFirstTickOfItsMinute) {
  MessageTable table;
  for (int i = 1; i <= 10; ++i) table[i] = u"09:0" + std::u16string(1, u'0' + (i - 1) % 10) + u"/t";
  table[2] = u"09:00/second at nine";
  MessageTicker ticker;
  std::vector<int> fired;
  for (int minute = 0; minute < 10; ++minute) {
    for (int second = 0; second < 2; ++second) {
      for (int k = 0; k < 4; ++k) {
        for (int j : ticker.Tick(table, At(9, minute, second))) fired.push_back(j);
      }
    }
  }
  EXPECT_EQ(ticker.nMsgCount, 10);
  // Two entries at 09:00 give two windows; the others fire once each.
  EXPECT_EQ(fired, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(MessageTime(table[2]), u"09:00");
  EXPECT_EQ(MessageText(table[2]), u"second at nine");
  EXPECT_EQ(MessageText(u"12:00/"), u"");
}

}  // namespace
}  // namespace mekuri
