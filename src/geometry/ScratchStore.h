// A per-thread store of the large blocks that working arrays give up, kept for the next request on the same
// thread. The kernel zeroes every page of a fresh block on its first touch, and memory handed back to it may be
// handed on to the host as well, so the next touch also waits for the host to map the page again: for arrays of
// hundreds of megabytes that costs more than the work written into them. A kept block's pages are already there.
// Each thread has two stores with their own rules: one for blocks that may outlive the call that took them
// (subdivision levels) and one for working blocks a call gives back before it returns (the stripifier). When
// a call ends, a store keeps no more than its last few calls took (at least a modest reserve): a mesh as large
// as the last ones finds its blocks, while one large mesh does not hold hundreds of megabytes for good. Both
// are released by every DLLDeInitialize of the thread and when the thread ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/Array.h"

namespace PM {

class ScratchStore {
 public:
  // What a store keeps and what it hands out.
  struct Rules {
    size_t cap;         // bytes kept at most (SetCap changes it); the oldest blocks go first
    size_t keepFrom;    // smaller blocks are left to the allocator
    size_t mostBlocks;  // blocks kept at most; the oldest go first
    // A request takes the smallest kept block that holds it; unless `anyLarger`, only one no more than twice
    // its size, so a small level that keeps its block for long never holds a large one.
    bool anyLarger;
    // Bytes kept after a call whatever the calls took.
    size_t reserve;
  };

  // The rules of the store for blocks that may outlive their call.
  static constexpr size_t kKeepFrom = size_t(256) << 10;
  static constexpr size_t kDefaultCap = size_t(640) << 20;
  static constexpr size_t kReserve = size_t(64) << 20;
  static constexpr Rules kLastingRules{kDefaultCap, kKeepFrom, kDefaultCap / kKeepFrom, false, kReserve};
  // The rules of the store for a call's working blocks: every block of a large mesh's call is kept (about
  // 330 MB for 1.15 million triangles), whatever its size, so the next call on as large a mesh maps nothing
  // afresh.
  static constexpr Rules kWorkingRules{size_t(512) << 20, 0, 64, true, kReserve};
  // The calls whose takes a store keeps room for: a mesh's conversion, three steps, the projection, the
  // evaluation and the geometry nodes, called one by one.
  static constexpr int kRecentCalls = 8;
  // Raw room is aligned to a cache line.
  static constexpr size_t kAlign = 64;

  // This thread's store for blocks that may outlive their call; nullptr while the thread is ending and its
  // stores are gone.
  static ScratchStore* ThisThread();
  // This thread's store for the working blocks of a call; nullptr once the thread's stores are gone.
  static ScratchStore* ThisThreadWorking();
  // Frees the blocks this thread's stores keep, if it has them; every DLLDeInitialize of the thread does this.
  static void ReleaseThisThread();

  // Fresh raw room of `bytes` with the store's alignment, and its release: what TakeBytes hands out when
  // nothing fits, and what frees room taken when no store was left.
  static void* NewRoom(size_t bytes);
  static void FreeRoom(void* data);

  // The operations below on a thread's store, which is null once the thread's stores are gone: then room is
  // taken from and freed to the allocator.
  static void* TakeFrom(ScratchStore* s, size_t bytes, size_t& got, bool& fresh) {
    got = bytes;
    fresh = true;
    return s ? s->TakeBytes(bytes, got, fresh) : NewRoom(bytes);
  }
  static void GiveTo(ScratchStore* s, void* data, size_t bytes) {
    if (s)
      s->KeepBytes(data, bytes);
    else
      FreeRoom(data);
  }
  template <class T>
  static void ReserveIn(ScratchStore* s, Array<T>& a, int capacity) {
    if (s)
      s->Reserve(a, capacity);
    else
      a.Reserve(capacity);
  }
  template <class T>
  static void KeepIn(ScratchStore* s, Array<T>& a) {
    if (s)
      s->Keep(a);
    else
      a.Clear();
  }

  // As ReserveIn on this thread's lasting store, but the array's block comes back to the lasting store of the
  // thread that lets it go last instead of going to the allocator: for arrays handed to a caller who keeps
  // them (a geometry's index list and vertex streams), so that the next build writes pages already mapped
  // rather than fresh ones. A copy of the array is a plain block; a block the store would not keep is a
  // plain one from the start. Outside a call, a block that comes back leaves the store no larger than a
  // call's end would (KeptAfterCall).
  template <class T>
  static void ReserveReturning(Array<T>& a, int capacity);

  // A call on the thread's store, from its construction to its destruction. When the outermost call ends the
  // store frees its oldest blocks until it keeps no more than the reserve or than the takes of its last
  // kRecentCalls calls (takes between calls count with the next call); a whole job (a mesh group's rebuild,
  // a stripification) counts alone, as the steps of one job are no pattern for the next. Calls inside it
  // count as part of it.
  class Call {
   public:
    enum Kind : uint8_t { kStep, kWholeJob };
    explicit Call(ScratchStore* store, Kind kind = kStep) : m_store(store) {
      if (m_store) m_store->BeginCall(kind);
    }
    ~Call() {
      if (m_store) m_store->EndCall();
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

   private:
    ScratchStore* m_store;
  };

  // Gives the empty array `a` room for at least `capacity` elements: a kept block of that kind when one fits,
  // else a fresh one.
  template <class T>
  void Reserve(Array<T>& a, int capacity);
  // Takes a's block for later when it is large enough and `a` holds its only reference; `a` is left empty.
  template <class T>
  void Keep(Array<T>& a);

  // Raw room of at least `bytes`, uninitialised (a kept block holds what it last held); `got` is the room
  // given and `fresh` tells whether it is new memory (from NewRoom).
  void* TakeBytes(size_t bytes, size_t& got, bool& fresh);
  // Takes raw room from TakeBytes (or NewRoom) back; room the rules do not keep is freed.
  void KeepBytes(void* data, size_t bytes);

  size_t KeptBytes() const { return m_kept; }
  // What the store keeps after the current call at most: the reserve, or the recent calls' takes if more.
  size_t KeptAfterCall() const;
  size_t KeptBlocks() const { return m_blocks.size(); }
  size_t Cap() const { return m_rules.cap; }
  // A new cap; blocks over it are freed at once, the oldest first. 0 keeps nothing.
  void SetCap(size_t bytes);
  // Frees every kept block.
  void Release() {
    Trim(0);
    m_spare.clear();
  }

  explicit ScratchStore(const Rules& rules = kLastingRules) : m_rules(rules) {}
  ~ScratchStore();
  ScratchStore(const ScratchStore&) = delete;
  ScratchStore& operator=(const ScratchStore&) = delete;

 private:
  struct Block {
    virtual ~Block() = default;
    const void* kind = nullptr;  // the element type's tag, or nullptr for raw room
    size_t bytes = 0;
  };
  template <class T>
  struct ArrayBlock final : Block {
    Array<T> array;
  };
  struct RawBlock final : Block {
    void* data = nullptr;
    ~RawBlock() override { FreeRoom(data); }
  };
  // The type record of a returning block of T: T's own name and size, freed by giving it to the store.
  template <class T>
  static const TypeRecord& ReturningType() {
    static const TypeRecord t(Array<T>::BlockType().name, sizeof(T), &Return<T>);
    return t;
  }
  template <class T>
  static void Return(void* payload) {
    // Plain again, so that a store that refuses it frees it, and a copy in the store never comes back.
    HeaderOf(payload)->type = &Array<T>::BlockType();
    Array<T> a = Array<T>::TakeReleased(static_cast<T*>(payload));
    ScratchStore* s = ThisThread();
    KeepIn(s, a);
    // Between calls the store keeps no more than after a call: a thread that only lets arrays go (one
    // that tears a scene down) holds the reserve at most.
    if (s && s->m_depth == 0) s->Trim(s->KeptAfterCall());
  }
  template <class T>
  static const void* KindOf() {
    static const char tag = 0;
    return &tag;
  }

  bool Keeps(size_t bytes) const { return bytes >= m_rules.keepFrom && bytes <= m_rules.cap; }
  // The smallest kept block of `kind` that fits a request of `bytes`, taken out of the store; nullptr when none
  // fits.
  std::unique_ptr<Block> Take(const void* kind, size_t bytes);
  void Add(std::unique_ptr<Block> block);
  // A node a take emptied, of `kind`, for a keep of that kind (null when there is none), and the node's return:
  // a keep that made its node afresh was an allocation, and its take a free, at every keep.
  std::unique_ptr<Block> SpareNode(const void* kind);
  void Recycle(std::unique_ptr<Block> node);
  static constexpr size_t kSpareNodes = 16;
  void Trim(size_t cap);
  // Counts a take of `asked` bytes given a block of `got` for the current call: a block much larger than the
  // request counts as twice the request, so a small mesh in a large block asks for no large reserve.
  void CountTake(size_t asked, size_t got) { m_callTakes += got < asked * 2 ? got : asked * 2; }
  void BeginCall(Call::Kind kind);
  void EndCall();

  Rules m_rules;
  std::vector<std::unique_ptr<Block>> m_blocks;  // the oldest first
  std::vector<std::unique_ptr<Block>> m_spare;   // emptied nodes, at most kSpareNodes
  size_t m_kept = 0;
  int m_depth = 0;                       // calls open on the store
  bool m_wholeJob = false;               // the outermost open call is a whole job
  size_t m_callTakes = 0;                // bytes taken since the last call ended
  size_t m_recentTakes[kRecentCalls]{};  // the takes of the last calls, the newest at m_recentAt
  int m_recentAt = 0;
};

template <class T>
void ScratchStore::Reserve(Array<T>& a, int capacity) {
  const size_t bytes = sizeof(T) * size_t(capacity > 0 ? capacity : 0);
  if (a.IsEmpty() && a.Capacity() == 0 && bytes > 0 && bytes >= m_rules.keepFrom) {
    if (std::unique_ptr<Block> b = Take(KindOf<T>(), bytes)) {
      a = std::move(static_cast<ArrayBlock<T>&>(*b).array);
      Recycle(std::move(b));
    }
  }
  a.Reserve(capacity);
  if (bytes >= m_rules.keepFrom) CountTake(bytes, sizeof(T) * size_t(a.Capacity()));
}

template <class T>
void ScratchStore::Keep(Array<T>& a) {
  const size_t bytes = sizeof(T) * size_t(a.Capacity());
  static_assert(std::is_trivially_destructible_v<T>, "kept arrays hold plain records");
  if (bytes == 0 || !Keeps(bytes) || BlockRefCount(a.Data()) != 1) {
    a.Clear();
    return;
  }
  // A kept block is plain: the store frees what it lets go.
  HeaderOf(a.Data())->type = &Array<T>::BlockType();
  std::unique_ptr<Block> b = SpareNode(KindOf<T>());
  if (!b) b = std::make_unique<ArrayBlock<T>>();
  auto& block = static_cast<ArrayBlock<T>&>(*b);
  a.SetCount(0);
  block.array = std::move(a);
  block.kind = KindOf<T>();
  block.bytes = bytes;
  Add(std::move(b));
}

template <class T>
void ScratchStore::ReserveReturning(Array<T>& a, int capacity) {
  static_assert(std::is_trivially_destructible_v<T>, "returning arrays hold plain records");
  ScratchStore* s = ThisThread();
  ReserveIn(s, a, capacity);
  if (s && a.Capacity() > 0 && s->Keeps(sizeof(T) * size_t(a.Capacity())) && BlockRefCount(a.Data()) == 1)
    HeaderOf(a.Data())->type = &ReturningType<T>();
}

}  // namespace PM
