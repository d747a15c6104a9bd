// BlockArena: places blocks made one after another side by side, in creation order, in chunks of its
// own, so that a walk visiting them in that order streams through memory. Freed room is reused for
// blocks of the same rounded size, and a chunk goes back to the heap as soon as its last block goes.
#pragma once

#include <array>
#include <cstddef>
#include <mutex>

namespace PM {

class BlockArena {
 public:
  static constexpr size_t kChunkBytes = size_t(64) << 10;  // chunks are aligned to their size
  static constexpr size_t kMaxBlockBytes = 4096;           // larger blocks are not placed here
  static constexpr size_t kGrain = 16;                     // every block starts on this boundary

  BlockArena() = default;
  // Frees every chunk; the blocks placed here must all be gone.
  ~BlockArena();
  BlockArena(const BlockArena&) = delete;
  BlockArena& operator=(const BlockArena&) = delete;

  // Room for `bytes` (1 to kMaxBlockBytes), `kGrain`-aligned; a chunk the heap cannot give runs the
  // out-of-memory handler.
  void* Alloc(size_t bytes);
  // Gives back a block of Alloc with the same `bytes`.
  void Free(void* block, size_t bytes);

  // Chunks held, and blocks placed and not yet freed (tests read them).
  size_t ChunkCount() const;
  size_t LiveCount() const;

 private:
  struct Chunk;
  struct FreeSlot;
  static Chunk* ChunkOf(const void* block);
  static size_t Rounded(size_t bytes);
  Chunk* NewChunk();
  void Push(FreeSlot* slot, size_t bytes);
  void Unlink(FreeSlot* slot, size_t bytes);
  void Retire(Chunk* chunk, const void* lastFreed, size_t lastBytes);

  mutable std::mutex m_lock;
  Chunk* m_chunks = nullptr;   // every chunk, newest first
  Chunk* m_current = nullptr;  // the chunk new blocks go to when no freed room fits
  size_t m_chunkCount = 0;
  size_t m_live = 0;
  std::array<FreeSlot*, kMaxBlockBytes / kGrain + 1> m_free{};  // freed room by rounded size / kGrain
};

}  // namespace PM
