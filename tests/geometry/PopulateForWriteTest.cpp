// Mapping output arrays in ahead of their writes: only the whole pages inside the range are mapped, what
// they held stays, pages already mapped are passed over, and small ranges are left alone.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "geometry/LargePages.h"

namespace PM::Test {
namespace {

constexpr size_t kPage = 4096;

// Anonymous pages mapped fresh (none backed yet), unmapped at the end.
class FreshPages {
 public:
  explicit FreshPages(size_t pages) : m_bytes(pages * kPage) {
    void* p = mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    m_data = p == MAP_FAILED ? nullptr : static_cast<unsigned char*>(p);
  }
  ~FreshPages() {
    if (m_data) munmap(m_data, m_bytes);
  }
  unsigned char* Data() const { return m_data; }
  // Which pages are backed, one flag a page.
  std::vector<bool> Mapped() const {
    std::vector<unsigned char> v(m_bytes / kPage);
    std::vector<bool> out(v.size());
    if (mincore(m_data, m_bytes, v.data()) != 0) return out;
    for (size_t i = 0; i < v.size(); ++i) out[i] = v[i] & 1;
    return out;
  }

 private:
  unsigned char* m_data = nullptr;
  size_t m_bytes;
};

TEST(PopulateForWrite, MapsTheWholePagesInsideTheRangeAndKeepsTheirBytes) {
  ASSERT_EQ(size_t(sysconf(_SC_PAGESIZE)), kPage);
  FreshPages block(64);
  ASSERT_NE(block.Data(), nullptr);
  // Written before: one page inside the range, whose bytes must stay, and the edge page the range
  // starts in part of.
  block.Data()[10 * kPage + 7] = 0x5A;
  block.Data()[2 * kPage + 1] = 0xA5;
  // From byte 100 of page 2 to 100 bytes before the end of page 40: pages 3 to 39 are whole.
  unsigned char* from = block.Data() + 2 * kPage + 100;
  PopulateForWrite(from, 39 * kPage - 200);

  const std::vector<bool> mapped = block.Mapped();
  for (size_t p = 0; p < mapped.size(); ++p) {
    // Page 2 was mapped by its own write; 40, the range's last part page, and those around are not.
    const bool expected = p >= 2 && p <= 39;
    EXPECT_EQ(mapped[p], expected) << "page " << p;
  }
  EXPECT_EQ(block.Data()[10 * kPage + 7], 0x5A);
  EXPECT_EQ(block.Data()[2 * kPage + 1], 0xA5);
  size_t nonZero = 0;
  for (size_t i = 3 * kPage; i < 40 * kPage; ++i) nonZero += block.Data()[i] != 0;
  EXPECT_EQ(nonZero, 1u);
}

TEST(PopulateForWrite, LeavesSmallRangesAloneAndMapsEveryGapOfALongRange) {
  // Past the run of pages the call looks at in one go, so the gaps span its chunks.
  constexpr size_t kPages = 2100;
  FreshPages block(kPages);
  ASSERT_NE(block.Data(), nullptr);
  // Eight pages: under the size the call is worth making from.
  PopulateForWrite(block.Data(), 8 * kPage);
  PopulateForWrite(nullptr, kPages * kPage);
  for (bool m : block.Mapped()) EXPECT_FALSE(m);

  // Mapped and unmapped runs alternating: every page of the range ends mapped, and the bytes written
  // before are where they were.
  for (size_t p = 0; p < kPages; p += 3) block.Data()[p * kPage + p % kPage] = static_cast<unsigned char>(p % 250 + 1);
  PopulateForWrite(block.Data(), kPages * kPage);
  const std::vector<bool> mapped = block.Mapped();
  size_t unmapped = 0, moved = 0;
  for (size_t p = 0; p < kPages; ++p) {
    unmapped += !mapped[p];
    const unsigned char want = p % 3 == 0 ? static_cast<unsigned char>(p % 250 + 1) : 0;
    moved += block.Data()[p * kPage + p % kPage] != want;
  }
  EXPECT_EQ(unmapped, 0u);
  EXPECT_EQ(moved, 0u);
}

}  // namespace
}  // namespace PM::Test
