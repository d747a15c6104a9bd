#include "core/BlockArena.h"

#include <cstdint>
#include <cstdlib>

#include "core/Block.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define PM_ARENA_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define PM_ARENA_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define PM_ARENA_POISON(p, n) ((void)(p), (void)(n))
#define PM_ARENA_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace PM {

struct BlockArena::Chunk {
  Chunk* prev;
  Chunk* next;
  size_t used;  // bytes from the chunk's start handed out so far, this header included
  size_t live;  // blocks in use
};

// What a freed block holds while it waits for reuse: its links in the list of its size, and its size,
// which lets a chunk whose blocks are all free be walked block by block.
struct BlockArena::FreeSlot {
  FreeSlot* prev;
  FreeSlot* next;
  size_t bytes;
};

namespace {
constexpr size_t kChunkHeader = 64;  // the first block starts on a cache line
}  // namespace

static_assert((BlockArena::kChunkBytes & (BlockArena::kChunkBytes - 1)) == 0, "chunks are found by masking");

BlockArena::Chunk* BlockArena::ChunkOf(const void* block) {
  const char* at = static_cast<const char*>(block);
  return reinterpret_cast<Chunk*>(const_cast<char*>(at - (reinterpret_cast<uintptr_t>(at) & (kChunkBytes - 1))));
}

// The room a block takes: whole grains, and at least enough for the freed-block record.
size_t BlockArena::Rounded(size_t bytes) {
  const size_t n = (bytes + kGrain - 1) / kGrain * kGrain;
  return n < sizeof(FreeSlot) ? (sizeof(FreeSlot) + kGrain - 1) / kGrain * kGrain : n;
}

BlockArena::~BlockArena() {
  while (m_chunks) {
    Chunk* next = m_chunks->next;
    PM_ARENA_UNPOISON(m_chunks, kChunkBytes);
    std::free(m_chunks);
    m_chunks = next;
  }
}

BlockArena::Chunk* BlockArena::NewChunk() {
  auto* c = static_cast<Chunk*>(std::aligned_alloc(kChunkBytes, kChunkBytes));
  if (!c) OutOfMemory(kChunkBytes);
  *c = Chunk{nullptr, m_chunks, kChunkHeader, 0};
  if (m_chunks) m_chunks->prev = c;
  m_chunks = c;
  ++m_chunkCount;
  PM_ARENA_POISON(reinterpret_cast<char*>(c) + kChunkHeader, kChunkBytes - kChunkHeader);
  return c;
}

// The free lists are LIFO: the block freed last is the first reused, while its lines may still be cached.
void BlockArena::Push(FreeSlot* slot, size_t bytes) {
  FreeSlot*& head = m_free[bytes / kGrain];
  PM_ARENA_UNPOISON(slot, sizeof(FreeSlot));
  *slot = FreeSlot{nullptr, head, bytes};
  if (head) {
    PM_ARENA_UNPOISON(head, sizeof(FreeSlot));
    head->prev = slot;
    PM_ARENA_POISON(head, sizeof(FreeSlot));
  }
  head = slot;
  PM_ARENA_POISON(slot, bytes);
}

void BlockArena::Unlink(FreeSlot* slot, size_t bytes) {
  PM_ARENA_UNPOISON(slot, sizeof(FreeSlot));
  FreeSlot* prev = slot->prev;
  FreeSlot* next = slot->next;
  PM_ARENA_POISON(slot, sizeof(FreeSlot));
  if (prev) {
    PM_ARENA_UNPOISON(prev, sizeof(FreeSlot));
    prev->next = next;
    PM_ARENA_POISON(prev, sizeof(FreeSlot));
  } else {
    m_free[bytes / kGrain] = next;
  }
  if (next) {
    PM_ARENA_UNPOISON(next, sizeof(FreeSlot));
    next->prev = prev;
    PM_ARENA_POISON(next, sizeof(FreeSlot));
  }
}

void* BlockArena::Alloc(size_t bytes) {
  const size_t n = Rounded(bytes);
  std::lock_guard<std::mutex> g(m_lock);
  void* block;
  if (FreeSlot* slot = m_free[n / kGrain]) {
    Unlink(slot, n);
    block = slot;
  } else {
    if (!m_current || m_current->used + n > kChunkBytes) m_current = NewChunk();
    block = reinterpret_cast<char*>(m_current) + m_current->used;
    m_current->used += n;
  }
  ++ChunkOf(block)->live;
  ++m_live;
  PM_ARENA_UNPOISON(block, bytes);
  return block;
}

void BlockArena::Free(void* block, size_t bytes) {
  const size_t n = Rounded(bytes);
  std::lock_guard<std::mutex> g(m_lock);
  --m_live;
  Chunk* c = ChunkOf(block);
  if (--c->live == 0) return Retire(c, block, n);
  Push(static_cast<FreeSlot*>(block), n);
}

// The chunk's last block went: every other block in it waits in a free list, so the walk over its blocks
// takes each out. The chunk new blocks go to stays, emptied; any other goes back to the heap.
void BlockArena::Retire(Chunk* c, const void* lastFreed, size_t lastBytes) {
  char* const base = reinterpret_cast<char*>(c);
  for (size_t at = kChunkHeader; at < c->used;) {
    char* p = base + at;
    if (p == lastFreed) {
      at += lastBytes;
      continue;
    }
    auto* slot = reinterpret_cast<FreeSlot*>(p);
    PM_ARENA_UNPOISON(slot, sizeof(FreeSlot));
    const size_t bytes = slot->bytes;
    if (bytes < kGrain) break;  // never so for a freed block; stops a damaged chunk from spinning
    Unlink(slot, bytes);
    at += bytes;
  }
  if (c == m_current) {
    c->used = kChunkHeader;
    PM_ARENA_POISON(base + kChunkHeader, kChunkBytes - kChunkHeader);
    return;
  }
  (c->prev ? c->prev->next : m_chunks) = c->next;
  if (c->next) c->next->prev = c->prev;
  --m_chunkCount;
  PM_ARENA_UNPOISON(c, kChunkBytes);
  std::free(c);
}

size_t BlockArena::ChunkCount() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_chunkCount;
}

size_t BlockArena::LiveCount() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_live;
}

}  // namespace PM
