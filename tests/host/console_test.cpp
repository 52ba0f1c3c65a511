// The stand-in's console behind the write-line and read-line slots.
#include <gtest/gtest.h>

#include "host/console.h"

namespace {

using namespace dvhost;

TEST(ConsoleTest, LinesAreCaptured) {
  console::reset();
  console_write_slot("first");
  console_write_slot("");
  console_write_slot(nullptr);
  EXPECT_EQ(console::lines(), (std::vector<std::string>{"first", "", ""}));
}

TEST(ConsoleTest, QueuedInputIsHandedOutTruncatedToCapacity) {
  console::reset();
  console::queue_input("print(1)");
  console::queue_input("abcdef");
  char buffer[8];
  EXPECT_EQ(console_read_slot(buffer, sizeof buffer, "> ", 1), 1);
  EXPECT_STREQ(buffer, "print(1");
  EXPECT_EQ(console_read_slot(buffer, sizeof buffer, nullptr, 0), 1);
  EXPECT_STREQ(buffer, "abcdef");
  EXPECT_EQ(console_read_slot(buffer, sizeof buffer, "> ", 0), 0) << "queue empty";
  ASSERT_EQ(console::reads().size(), 3u);
  EXPECT_EQ(console::reads()[0].prompt, "> ");
  EXPECT_EQ(console::reads()[0].flag, 1);
  EXPECT_EQ(console::reads()[0].capacity, 8u);
  EXPECT_TRUE(console::reads()[1].prompt_was_null);
}

TEST(ConsoleTest, ZeroCapacityOrNullBufferReadsNothing) {
  console::reset();
  console::queue_input("x");
  char buffer[1] = {'?'};
  EXPECT_EQ(console_read_slot(buffer, 0, "", 0), 0);
  EXPECT_EQ(buffer[0], '?');
  EXPECT_EQ(console_read_slot(nullptr, 8, "", 0), 0);
  EXPECT_EQ(console_read_slot(buffer, 1, "", 0), 1);
  EXPECT_EQ(buffer[0], '\0');
}

} // namespace
