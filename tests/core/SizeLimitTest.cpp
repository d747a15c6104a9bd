// Lengths and capacities of strings and arrays at the edges of 32 bits: computed without wrapping, and a
// request past what a block holds ends in the out-of-memory handler with the size as asked, never in a
// short block that a copy then overruns.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "core/Array.h"
#include "core/Block.h"
#include "core/String.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

constexpr int64_t k2p30 = int64_t(1) << 30;
constexpr int64_t k2p31 = int64_t(1) << 31;
constexpr int64_t k2p32 = int64_t(1) << 32;

TEST(SizeLimit, StringGrowthNeverWraps) {
  EXPECT_EQ(StringGrowCapacity(1000, 10), 1508);  // room to append one by one
  EXPECT_EQ(StringGrowCapacity(0, String::kMaxLength), String::kMaxLength);
  EXPECT_EQ(StringGrowCapacity(String::kMaxLength - 10, 5), String::kMaxLength);  // growth stops at the most
  EXPECT_EQ(StringGrowCapacity(String::kMaxLength, 1), -1);
  EXPECT_EQ(StringGrowCapacity(k2p30, k2p30), -1);  // the doubling that wrapped an int sum
  EXPECT_EQ(StringGrowCapacity(k2p31 - 1, 0), -1);
  EXPECT_EQ(StringGrowCapacity(k2p31 - 1, 1), -1);
  EXPECT_EQ(StringGrowCapacity(1, k2p32), -1);
  EXPECT_EQ(StringGrowCapacity(k2p32, 1), -1);
  EXPECT_EQ(StringGrowCapacity(1, INT64_MAX), -1);
  EXPECT_EQ(StringGrowCapacity(-1, 1), -1);
}

TEST(SizeLimit, ArrayGrowthStopsAtTheMostABlockHolds) {
  EXPECT_EQ(ArrayGrowCapacity(0), 4);
  EXPECT_EQ(ArrayGrowCapacity(100), 152);
  EXPECT_EQ(ArrayGrowCapacity(1500000000), kMaxBlockCount);  // 1.5 x 1.5e9 passes 2^31 - 1
  EXPECT_EQ(ArrayGrowCapacity(k2p30), 1610612740);
  EXPECT_EQ(ArrayGrowCapacity(kMaxBlockCount - 1), kMaxBlockCount);
  EXPECT_EQ(ArrayGrowCapacity(kMaxBlockCount), kMaxBlockCount + 1);  // refused by the block, not wrapped
  EXPECT_EQ(BlockCheckedCount(kMaxBlockCount, 1), int32_t(kMaxBlockCount));
  EXPECT_EQ(BlockCheckedCount(0, 8), 0);
}

// The child reports the out-of-memory text to a file and ends as the handler ends a process.
std::string g_reportPath;
void ReportToFile(const char* text) {
  if (FILE* f = std::fopen(g_reportPath.c_str(), "w")) {
    std::fputs(text, f);
    std::fclose(f);
  }
}

struct Request {
  int64_t count;
  size_t elementSize;
};

void CheckInChild(void* arg) {
  SetOutOfMemoryReporter(ReportToFile);
  const auto* r = static_cast<const Request*>(arg);
  BlockCheckedCount(r->count, r->elementSize);
  _exit(0);
}

void AppendPastTheMost(void*) {
  SetOutOfMemoryReporter(ReportToFile);
  String s("abc");
  s.Append("x", String::kMaxLength);  // refused before the copy would read or write anything
}

std::string ChildReport(void (*fn)(void*), void* arg, int* exitCode) {
  g_reportPath = ::testing::TempDir() + "oom_report_" + std::to_string(getpid()) + ".txt";
  std::remove(g_reportPath.c_str());
  const int status = Test::RunInChild(fn, arg);
  *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(g_reportPath);
  std::stringstream text;
  text << in.rdbuf();
  std::remove(g_reportPath.c_str());
  return text.str();
}

TEST(SizeLimitDeath, CountsPastTheMostAreOutOfMemoryWithTheirTrueSize) {
  const struct {
    Request request;
    const char* bytes;
  } cases[] = {
      {{k2p31 - 1, 1}, "2147483647 bytes"},
      {{k2p31, 1}, "2147483648 bytes"},
      {{k2p32, 1}, "4294967296 bytes"},
      {{k2p32, 16}, "68719476736 bytes"},
      {{INT64_MAX, 16}, "18446744073709551615 bytes"},  // saturated
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    Request r = c.request;
    int code = 0;
    const std::string report = ChildReport(CheckInChild, &r, &code);
    EXPECT_EQ(code, 247);
    EXPECT_NE(report.find(std::string("a request for ") + c.bytes), std::string::npos) << report;
  }
  int code = 0;
  const std::string report = ChildReport(AppendPastTheMost, nullptr, &code);
  EXPECT_EQ(code, 247);
  EXPECT_NE(report.find("a request for 2147483586 bytes"), std::string::npos) << report;
}

}  // namespace
}  // namespace PM
