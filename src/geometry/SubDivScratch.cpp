#include "geometry/SubDivScratch.h"

#include "core/StartUp.h"

namespace PM {
namespace {

// The store of a thread is built on first use and gone once the thread's objects are destroyed; a level
// released after that (a static one, say) is freed at once instead of reaching a destroyed store.
enum class StoreState : uint8_t { kUnused, kLive, kGone };
thread_local StoreState t_state = StoreState::kUnused;

struct StoreOfThread {
  SubDivScratch store;
  StoreOfThread() { t_state = StoreState::kLive; }
  ~StoreOfThread() { t_state = StoreState::kGone; }
};

// A kept block fits a request when it is no more than twice as large: a much larger one would hold
// memory for the life of a small level.
bool Fits(size_t kept, size_t wanted) { return kept >= wanted && kept / 2 <= wanted; }

}  // namespace

SubDivScratch* SubDivScratch::ThisThread() {
  if (t_state == StoreState::kGone) return nullptr;
  thread_local StoreOfThread s;
  return &s.store;
}

void SubDivScratch::ReleaseThisThread() {
  if (t_state == StoreState::kLive) ThisThread()->Release();
}

namespace {
// A thread's DLLDeInitialize hands the kept blocks back, so its count of live blocks holds none of them.
const bool g_releaseHook =
    (RegisterThreadHook(kThreadSubDivScratch, "SubDivScratch", &SubDivScratch::ReleaseThisThread), true);
}  // namespace

SubDivScratch::~SubDivScratch() { Trim(0); }

std::unique_ptr<SubDivScratch::Block> SubDivScratch::Take(const void* kind, size_t bytes) {
  size_t best = m_blocks.size();
  for (size_t i = 0; i < m_blocks.size(); ++i) {
    const Block& b = *m_blocks[i];
    if (b.kind == kind && Fits(b.bytes, bytes) && (best == m_blocks.size() || b.bytes < m_blocks[best]->bytes))
      best = i;
  }
  if (best == m_blocks.size()) return nullptr;
  std::unique_ptr<Block> b = std::move(m_blocks[best]);
  m_blocks.erase(m_blocks.begin() + std::ptrdiff_t(best));
  m_kept -= b->bytes;
  return b;
}

void SubDivScratch::Add(std::unique_ptr<Block> block) {
  m_kept += block->bytes;
  m_blocks.push_back(std::move(block));
  Trim(m_cap);
}

void SubDivScratch::Trim(size_t cap) {
  // Blocks are added at the back and taken from anywhere, so the front is always the oldest.
  size_t drop = 0;
  while (m_kept > cap && drop < m_blocks.size()) m_kept -= m_blocks[drop++]->bytes;
  m_blocks.erase(m_blocks.begin(), m_blocks.begin() + std::ptrdiff_t(drop));
}

void SubDivScratch::SetCap(size_t bytes) {
  m_cap = bytes;
  Trim(bytes);
}

void* SubDivScratch::TakeBytes(size_t bytes, size_t& got, bool& fresh) {
  if (bytes >= kKeepFrom) {
    if (std::unique_ptr<Block> b = Take(nullptr, bytes)) {
      auto& raw = static_cast<RawBlock&>(*b);
      got = raw.bytes;
      fresh = false;
      return std::exchange(raw.data, nullptr);
    }
  }
  got = bytes;
  fresh = true;
  return ::operator new(bytes);
}

void SubDivScratch::KeepBytes(void* data, size_t bytes) {
  if (bytes < kKeepFrom || bytes > m_cap) {
    ::operator delete(data);
    return;
  }
  auto b = std::make_unique<RawBlock>();
  b->data = data;
  b->bytes = bytes;
  Add(std::move(b));
}

}  // namespace PM
