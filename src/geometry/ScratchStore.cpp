#include "geometry/ScratchStore.h"

#include <malloc.h>

#include <algorithm>
#include <iterator>
#include <new>
#include <utility>

#include "core/StartUp.h"

namespace PM {
namespace {

constexpr std::align_val_t kRoomAlign{ScratchStore::kAlign};
constexpr size_t kTrimAllocatorFrom = size_t(8) << 20;

// The stores of a thread are built on first use and gone once the thread's objects are destroyed; a block
// released after that (a static level, say) is freed at once instead of reaching a destroyed store.
enum class StoreState : uint8_t { kUnused, kLive, kGone };
thread_local StoreState t_state = StoreState::kUnused;

struct StoresOfThread {
  ScratchStore lasting{ScratchStore::kLastingRules};
  ScratchStore working{ScratchStore::kWorkingRules};
  StoresOfThread() { t_state = StoreState::kLive; }
  ~StoresOfThread() { t_state = StoreState::kGone; }
};

StoresOfThread* Stores() {
  if (t_state == StoreState::kGone) return nullptr;
  thread_local StoresOfThread s;
  return &s;
}

}  // namespace

ScratchStore* ScratchStore::ThisThread() {
  StoresOfThread* s = Stores();
  return s ? &s->lasting : nullptr;
}

ScratchStore* ScratchStore::ThisThreadWorking() {
  StoresOfThread* s = Stores();
  return s ? &s->working : nullptr;
}

void ScratchStore::ReleaseThisThread() {
  if (t_state != StoreState::kLive) return;
  Stores()->lasting.Release();
  Stores()->working.Release();
}

namespace {
// A thread's DLLDeInitialize hands the kept blocks back, so its count of live blocks holds none of them.
const bool g_releaseHook =
    (RegisterThreadHook(kThreadScratchStore, "ScratchStore", &ScratchStore::ReleaseThisThread), true);
}  // namespace

void* ScratchStore::NewRoom(size_t bytes) { return ::operator new(bytes, kRoomAlign); }
void ScratchStore::FreeRoom(void* data) { ::operator delete(data, kRoomAlign); }

ScratchStore::~ScratchStore() { Trim(0); }

std::unique_ptr<ScratchStore::Block> ScratchStore::Take(const void* kind, size_t bytes) {
  size_t best = m_blocks.size();
  for (size_t i = 0; i < m_blocks.size(); ++i) {
    const Block& b = *m_blocks[i];
    const bool fits = b.bytes >= bytes && (m_rules.anyLarger || b.bytes / 2 <= bytes);
    if (b.kind == kind && fits && (best == m_blocks.size() || b.bytes < m_blocks[best]->bytes)) best = i;
  }
  if (best == m_blocks.size()) return nullptr;
  std::unique_ptr<Block> b = std::move(m_blocks[best]);
  m_blocks.erase(m_blocks.begin() + std::ptrdiff_t(best));
  m_kept -= b->bytes;
  return b;
}

std::unique_ptr<ScratchStore::Block> ScratchStore::SpareNode(const void* kind) {
  for (size_t i = 0; i < m_spare.size(); ++i) {
    if (m_spare[i]->kind != kind) continue;
    std::unique_ptr<Block> b = std::move(m_spare[i]);
    m_spare[i] = std::move(m_spare.back());
    m_spare.pop_back();
    return b;
  }
  return nullptr;
}

void ScratchStore::Recycle(std::unique_ptr<Block> node) {
  if (m_spare.size() < kSpareNodes) m_spare.push_back(std::move(node));
}

void ScratchStore::Add(std::unique_ptr<Block> block) {
  m_kept += block->bytes;
  m_blocks.push_back(std::move(block));
  Trim(m_rules.cap);
}

void ScratchStore::Trim(size_t cap) {
  // Blocks are added at the back and taken from anywhere, so the front is always the oldest.
  const size_t most = cap == 0 ? 0 : m_rules.mostBlocks;
  size_t drop = 0;
  while ((m_kept > cap || m_blocks.size() - drop > most) && drop < m_blocks.size()) m_kept -= m_blocks[drop++]->bytes;
  m_blocks.erase(m_blocks.begin(), m_blocks.begin() + std::ptrdiff_t(drop));
}

void ScratchStore::SetCap(size_t bytes) {
  m_rules.cap = bytes;
  Trim(bytes);
}

void* ScratchStore::TakeBytes(size_t bytes, size_t& got, bool& fresh) {
  if (bytes >= m_rules.keepFrom) {
    if (std::unique_ptr<Block> b = Take(nullptr, bytes)) {
      auto& raw = static_cast<RawBlock&>(*b);
      got = raw.bytes;
      fresh = false;
      CountTake(bytes, got);
      void* data = std::exchange(raw.data, nullptr);
      Recycle(std::move(b));
      return data;
    }
  }
  // Whole cache lines, so that a later request a little larger still fits.
  got = (bytes + kAlign - 1) & ~(kAlign - 1);
  fresh = true;
  if (bytes >= m_rules.keepFrom) CountTake(bytes, got);
  return NewRoom(got);
}

void ScratchStore::BeginCall(Call::Kind kind) {
  if (m_depth++ == 0) m_wholeJob = kind == Call::kWholeJob;
}

size_t ScratchStore::KeptAfterCall() const {
  size_t recent = 0;
  for (size_t takes : m_recentTakes) recent += takes;
  return std::max(m_rules.reserve, recent);
}

void ScratchStore::EndCall() {
  if (--m_depth > 0) return;
  if (m_wholeJob) std::fill(std::begin(m_recentTakes), std::end(m_recentTakes), size_t(0));
  m_recentAt = (m_recentAt + 1) % kRecentCalls;
  m_recentTakes[m_recentAt] = m_callTakes;
  m_callTakes = 0;
  const size_t keep = KeptAfterCall();
  if (m_kept <= keep) return;
  const size_t before = m_kept;
  Trim(keep);
  // The allocator keeps freed blocks below its mapping threshold in its heap, where their pages stay
  // resident: hand the free pages back when the store let go of a good deal.
#ifdef __GLIBC__
  if (before - m_kept >= kTrimAllocatorFrom) malloc_trim(0);
#endif
}

void ScratchStore::KeepBytes(void* data, size_t bytes) {
  if (!Keeps(bytes)) {
    FreeRoom(data);
    return;
  }
  std::unique_ptr<Block> b = SpareNode(nullptr);
  if (!b) b = std::make_unique<RawBlock>();
  auto& raw = static_cast<RawBlock&>(*b);
  raw.data = data;
  raw.bytes = bytes;
  Add(std::move(b));
}

}  // namespace PM
