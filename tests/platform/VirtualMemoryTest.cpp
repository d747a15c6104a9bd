// Reserved, committed and released memory blocks, and the last error of a failed call.
#include "platform/VirtualMemory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/LastError.h"

namespace PM {
namespace {

TEST(VirtualMemoryTest, CommittedPagesAreZeroedReadWriteMemory) {
  const size_t page = VirtualPageSize();
  const size_t size = 64 * page;
  auto* base = static_cast<uint8_t*>(VirtualReserve(size));
  ASSERT_NE(base, nullptr);
  // Committing a part rounds it out to whole pages.
  ASSERT_TRUE(VirtualCommit(base + 3 * page + 10, page));
  memset(base + 3 * page, 0xAB, 2 * page);
  EXPECT_EQ(base[5 * page - 1], 0xAB);
  // A decommitted page comes back zeroed.
  ASSERT_TRUE(VirtualDecommit(base + 3 * page, 2 * page));
  ASSERT_TRUE(VirtualCommit(base + 3 * page, 2 * page));
  EXPECT_EQ(base[3 * page], 0);
  EXPECT_EQ(base[5 * page - 1], 0);
  EXPECT_TRUE(VirtualRelease(base, size));

  // The sound cache's block: 88,200 bytes committed in one step.
  auto* cache = static_cast<uint8_t*>(VirtualAllocCommitted(88200));
  ASSERT_NE(cache, nullptr);
  cache[0] = 1;
  cache[88199] = 2;
  EXPECT_TRUE(VirtualRelease(cache, 88200));
}

TEST(VirtualMemoryTest, FailuresSetTheLastErrorWithItsText) {
  SetLastErrorCode(0);
  EXPECT_EQ(ErrorText(0), "");
  EXPECT_EQ(VirtualReserve(0), nullptr);
  EXPECT_EQ(GetLastErrorCode(), uint32_t(EINVAL));
  EXPECT_EQ(ErrorText(GetLastErrorCode()), "Invalid argument");
  EXPECT_FALSE(VirtualCommit(nullptr, 10));
  EXPECT_EQ(VirtualAllocCommitted(size_t(1) << 62), nullptr);
  EXPECT_EQ(GetLastErrorCode(), uint32_t(ENOMEM));
  EXPECT_EQ(ErrorText(ENOENT), "No such file or directory");
  EXPECT_FALSE(ErrorText(123456).empty());
}

}  // namespace
}  // namespace PM
