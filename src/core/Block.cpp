#include "core/Block.h"

#include <pthread.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "core/BlockArena.h"
#include "core/Obj.h"
#include "platform/MessageDialog.h"

namespace PM {

// ---- type registry -------------------------------------------------------------------------

namespace {
struct TypeRegistry {
  std::mutex lock;
  std::vector<std::string> names;  // id = index + 1
};
TypeRegistry& Registry() {
  static TypeRegistry* r = new TypeRegistry;  // outlives every static TypeRecord
  return *r;
}
}  // namespace

uint32_t RegisterTypeName(const char* name) {
  TypeRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.lock);
  for (size_t i = 0; i < r.names.size(); ++i)
    if (r.names[i] == name) return uint32_t(i + 1);
  r.names.emplace_back(name);
  return uint32_t(r.names.size());
}

const char* TypeNameOf(uint32_t id) {
  TypeRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.lock);
  return id >= 1 && id <= r.names.size() ? r.names[id - 1].c_str() : "???";
}

TypeRecord::TypeRecord(const char* n, uint32_t s, DestroyFn d)
    : id(RegisterTypeName(n)), size(s), destroy(d), name(n) {}

// ---- raw allocation ------------------------------------------------------------------------

// Live blocks are counted per thread: an interlocked add on one shared counter for every block made and
// freed cost more than the allocation itself. Each thread's counter is written only by that thread (plain
// stores) and read by LiveBlockCount under the list's lock; a thread's count joins the total of ended
// threads when it ends, after its C++ thread-locals, whose destructors may still free blocks.
namespace {
struct LiveCounter {
  std::atomic<long> n{0};  // blocks made minus blocks freed by this thread
  bool listed = false;
  LiveCounter* prev = nullptr;
  LiveCounter* next = nullptr;
};
struct LiveList {
  std::mutex lock;
  LiveCounter* first = nullptr;
  long ended = 0;  // the counts of threads that have ended
  pthread_key_t key{};
  bool keyMade = false;
};
LiveList& Live() {
  static auto* l = new LiveList;  // outlives every thread and static destructor
  return *l;
}
}  // namespace

[[gnu::tls_model("initial-exec")]] constinit static thread_local LiveCounter t_live;

static void UnlistThread(void*) {
  LiveList& l = Live();
  std::lock_guard<std::mutex> g(l.lock);
  l.ended += t_live.n.load(std::memory_order_relaxed);
  t_live.n.store(0, std::memory_order_relaxed);
  (t_live.prev ? t_live.prev->next : l.first) = t_live.next;
  if (t_live.next) t_live.next->prev = t_live.prev;
  t_live.listed = false;  // a block freed after this lists the thread again, and ending it comes round again
}

// A thread's first count lists its counter and asks for the thread-end call. Without that call (no
// thread key to be had) the thread is never listed: its counts go to the shared total here, under the
// lock, and no list entry outlives its thread.
[[gnu::noinline]] static void CountLiveFirst(long d) {
  LiveList& l = Live();
  std::lock_guard<std::mutex> g(l.lock);
  if (!l.keyMade) l.keyMade = pthread_key_create(&l.key, UnlistThread) == 0;
  if (!l.keyMade || pthread_setspecific(l.key, &t_live) != 0) {
    l.ended += d;
    return;
  }
  t_live.prev = nullptr;
  t_live.next = l.first;
  if (l.first) l.first->prev = &t_live;
  l.first = &t_live;
  t_live.listed = true;
  t_live.n.store(d, std::memory_order_relaxed);
}

static inline void CountLive(long d) {
  if (__builtin_expect(!t_live.listed, 0)) return CountLiveFirst(d);
  t_live.n.store(t_live.n.load(std::memory_order_relaxed) + d, std::memory_order_relaxed);
}
static std::atomic<AllocFailHook> g_failHook{nullptr};

// The out-of-memory message goes through the dialog like every other message.
static void DefaultOutOfMemoryReporter(const char* text) { ShowMessageDialog("Out of memory", text, kAnswerOk); }
static std::atomic<OutOfMemoryReporter> g_oomReporter{DefaultOutOfMemoryReporter};

void SetAllocFailHook(AllocFailHook hook) { g_failHook.store(hook); }
void SetOutOfMemoryReporter(OutOfMemoryReporter r) { g_oomReporter.store(r ? r : DefaultOutOfMemoryReporter); }

void OutOfMemory(size_t bytes) {
  char text[160];
  snprintf(text, sizeof text, "Out of memory: a request for %zu bytes could not be met. The program ends now.\n",
           bytes);
  g_oomReporter.load()(text);
  _exit(-9);  // nothing else runs: the heap may be in any state
}

void* BlockAlloc(size_t bytes) {
  AllocFailHook hook = g_failHook.load(std::memory_order_relaxed);
  void* p = (hook && hook(bytes)) ? nullptr : std::malloc(bytes);
  if (!p) OutOfMemory(bytes);
  return p;
}

void BlockFree(void* raw) { std::free(raw); }

long LiveBlockCount() {
  LiveList& l = Live();
  std::lock_guard<std::mutex> g(l.lock);
  long n = l.ended;
  for (const LiveCounter* c = l.first; c; c = c->next) n += c->n.load(std::memory_order_relaxed);
  return n;
}

// Destructions nested deeper than this wait in a list that the outermost one works off.
static constexpr int kMaxNestedDestroy = 256;

void BlockDestroy(void* payload) {
  // Plain thread-locals (no destructor): blocks may go while a thread's other locals are torn down.
  [[gnu::tls_model("initial-exec")]] thread_local int t_depth = 0;
  [[gnu::tls_model("initial-exec")]] thread_local std::vector<void*>* t_waiting = nullptr;
  if (t_depth >= kMaxNestedDestroy) {
    if (!t_waiting) t_waiting = new std::vector<void*>;
    t_waiting->push_back(payload);
    return;
  }
  ++t_depth;
  HeaderOf(payload)->type->destroy(payload);
  if (t_depth == 1 && t_waiting) {
    while (!t_waiting->empty()) {
      void* next = t_waiting->back();
      t_waiting->pop_back();
      HeaderOf(next)->type->destroy(next);
    }
    delete t_waiting;
    t_waiting = nullptr;
  }
  --t_depth;
}

static BlockHeader* InitHeader(void* raw, const TypeRecord* type) {
  auto* h = static_cast<BlockHeader*>(raw);
  h->classRow = nullptr;
  new (&h->weak) std::atomic<uintptr_t>(0);
  new (&h->refs) std::atomic<int32_t>(0);
  h->type = type;
  h->capacity = 0;
  h->count = 0;
  CountLive(1);
  return h;
}

static BlockHeader* NewHeader(size_t payload, const TypeRecord* type) {
  return InitHeader(BlockAlloc(sizeof(BlockHeader) + payload), type);
}

// Scene nodes: their records lie side by side in creation order, where a walk over the tree finds them.
static BlockArena& NodeArena() {
  static auto* arena = new BlockArena;  // outlives every object: blocks may go during static teardown
  return *arena;
}

// ---- shared immortal blocks ----------------------------------------------------------------

static void NeverDestroy(void*) {}
static const TypeRecord& ImmortalType() {
  static TypeRecord t("Immortal", 0, NeverDestroy);
  return t;
}

namespace {
template <size_t N>
struct alignas(16) StaticBlock {
  BlockHeader h;
  alignas(16) unsigned char payload[N];
};
}  // namespace

static StaticBlock<64> g_nil;        // room for the object model's ScriptObject part
static StaticBlock<16> g_nilWeak;    // WeakObjTarget pointing at nil
static StaticBlock<16> g_nullArray;  // capacity 0, count 0

static bool InitImmortals() {
  for (BlockHeader* h : {&g_nil.h, &g_nilWeak.h, &g_nullArray.h}) {
    h->refs.store(kImmortalRefs);
    h->type = &ImmortalType();
  }
  reinterpret_cast<WeakObjTarget*>(g_nilWeak.payload)->object = g_nil.payload;
  g_nil.h.weak.store(reinterpret_cast<uintptr_t>(g_nilWeak.payload));
  return true;
}
static bool EnsureImmortals() {
  static bool done = InitImmortals();
  return done;
}

void* NilObject() {
  static void* nil = (EnsureImmortals(), g_nil.payload);
  return nil;
}
WeakObjTarget* NilWeakTarget() {
  static WeakObjTarget* t = (EnsureImmortals(), reinterpret_cast<WeakObjTarget*>(g_nilWeak.payload));
  return t;
}
void* NullArrayPayload() {
  static void* a = (EnsureImmortals(), g_nullArray.payload);
  return a;
}

// ---- objects -------------------------------------------------------------------------------

static void* InitObject(BlockHeader* h, size_t size, size_t extra) {
  h->weak.store(reinterpret_cast<uintptr_t>(NilWeakTarget()), std::memory_order_relaxed);
  void* p = PayloadOf(h);
  std::memset(p, 0, size + extra);
  return p;
}

void* BlockNewObjectExtra(size_t size, const TypeRecord* type, size_t extra) {
  return InitObject(NewHeader(size + extra, type), size, extra);
}

void* BlockNewNodeObject(size_t size, const TypeRecord* type, size_t extra) {
  const size_t bytes = sizeof(BlockHeader) + size + extra;
  if (bytes > BlockArena::kMaxBlockBytes) return BlockNewObjectExtra(size, type, extra);
  AllocFailHook hook = g_failHook.load(std::memory_order_relaxed);
  if (hook && hook(bytes)) OutOfMemory(bytes);
  BlockHeader* h = InitHeader(NodeArena().Alloc(bytes), type);
  h->capacity = -int32_t(bytes);  // an arena block, and the room it takes there
  return InitObject(h, size, extra);
}

void* BlockNewObject(size_t size, const TypeRecord* type) { return BlockNewObjectExtra(size, type, 0); }

static void DestroyWeakTarget(void* payload) { BlockDelete(payload); }
static const TypeRecord& WeakTargetType() {
  static TypeRecord t("WeakObjTarget", sizeof(WeakObjTarget), DestroyWeakTarget);
  return t;
}

// The header's weak word holds an object's target (or a string's hash), so it is an integer.
static WeakObjTarget* TargetOf(uintptr_t word) {
  return reinterpret_cast<WeakObjTarget*>(word);  // NOLINT(performance-no-int-to-ptr): see above
}

WeakObjTarget* BlockWeakTarget(const void* object) {
  BlockHeader* h = HeaderOf(object);
  uintptr_t cur = h->weak.load(std::memory_order_acquire);
  auto* nilTarget = NilWeakTarget();
  if (cur != reinterpret_cast<uintptr_t>(nilTarget) || IsNilObject(object)) return TargetOf(cur);
  // First use: make a target holding one reference for the object itself, and publish it.
  BlockHeader* th = NewHeader(sizeof(WeakObjTarget), &WeakTargetType());
  th->refs.store(1, std::memory_order_relaxed);
  auto* t = static_cast<WeakObjTarget*>(PayloadOf(th));
  t->object = const_cast<void*>(object);
  if (h->weak.compare_exchange_strong(cur, reinterpret_cast<uintptr_t>(t), std::memory_order_acq_rel)) return t;
  BlockDelete(t);  // another thread won; use its target
  return TargetOf(cur);
}

void ObjBlockDestruct(void* object) {
  BlockHeader* h = HeaderOf(object);
  uintptr_t w = h->weak.exchange(0, std::memory_order_acq_rel);
  if (w && w != reinterpret_cast<uintptr_t>(NilWeakTarget())) {
    auto* t = TargetOf(w);
    t->object = NilObject();
    BlockRelease(t);
  }
  BlockDelete(object);
}

// ---- arrays --------------------------------------------------------------------------------

int32_t BlockCheckedCount(int64_t count, size_t elementSize) {
  if (count >= 0 && count <= kMaxBlockCount) return int32_t(count);
  // The request as asked for, saturated rather than wrapped, for the message.
  unsigned __int128 bytes = static_cast<unsigned __int128>(count < 0 ? 0 : uint64_t(count)) * elementSize;
  OutOfMemory(bytes > SIZE_MAX ? SIZE_MAX : size_t(bytes));
}

void* BlockNewArray(int capacity, int count, const TypeRecord* type) {
  if (capacity <= 0) return NullArrayPayload();
  BlockCheckedCount(capacity, type->size);
  BlockHeader* h = NewHeader(size_t(capacity) * type->size, type);
  h->capacity = capacity;
  h->count = count;
  return PayloadOf(h);
}

void* BlockResizeArray(void* payload, int capacity) {
  BlockHeader* h = HeaderOf(payload);
  BlockCheckedCount(capacity, h->type->size);
  size_t bytes = sizeof(BlockHeader) + size_t(capacity) * h->type->size;
  AllocFailHook hook = g_failHook.load(std::memory_order_relaxed);
  auto* grown = (hook && hook(bytes)) ? nullptr : static_cast<BlockHeader*>(std::realloc(h, bytes));
  if (!grown) OutOfMemory(bytes);
  grown->capacity = capacity;
  return PayloadOf(grown);
}

void BlockDelete(void* payload) {
  if (HeaderOf(payload)->refs.load(std::memory_order_relaxed) >= kImmortalRefs / 2) return;  // shared blocks stay
  CountLive(-1);
  BlockHeader* h = HeaderOf(payload);
  if (h->capacity < 0)
    NodeArena().Free(h, size_t(-int64_t(h->capacity)));
  else
    BlockFree(h);
}

}  // namespace PM
