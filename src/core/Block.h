// Counted memory blocks: every engine object, array and string lives behind a BlockHeader,
// is counted by interlocked operations and is destroyed through its type record.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace PM {

struct TypeRecord;

// Six words in front of every payload, in this order. Objects use classRow and weak;
// strings keep their cached hash in weak; arrays and strings use capacity and count. An object placed
// in the node arena holds minus its block's size in capacity (any other object holds 0).
struct alignas(16) BlockHeader {
  const void* classRow;         // the object's row in the master class table, 0 for arrays and strings
  std::atomic<uintptr_t> weak;  // WeakObjTarget payload of an object, or a string's cached hash
  std::atomic<int32_t> refs;    // a new block starts at 0; the first owning reference makes it 1
  const TypeRecord* type;
  int32_t capacity;
  int32_t count;
};

// Disposes of a whole block given its payload: elements (or the object) last to first, then the block.
using DestroyFn = void (*)(void* payload);

// Describes one element or object type. Records with the same name share one id (the exact-type test).
struct TypeRecord {
  uint32_t id;
  uint32_t size;
  DestroyFn destroy;
  const char* name;

  TypeRecord(const char* name, uint32_t size, DestroyFn destroy);  // registers itself
  TypeRecord(const TypeRecord&) = delete;
  TypeRecord& operator=(const TypeRecord&) = delete;
};

// The registry gives each distinct type name one id, starting at 1.
uint32_t RegisterTypeName(const char* name);
const char* TypeNameOf(uint32_t id);  // "???" when unknown

inline BlockHeader* HeaderOf(const void* payload) { return static_cast<BlockHeader*>(const_cast<void*>(payload)) - 1; }
inline void* PayloadOf(BlockHeader* h) { return h + 1; }

// Destroys a block whose count went to zero through its type record. A block that goes while others are
// being destroyed on this thread beyond a fixed depth (a long chain of objects, each the last holder of
// the next) is destroyed after them, so freeing a structure of any depth takes bounded stack.
void BlockDestroy(void* payload);

// Immortal shared blocks (nil object, nil weak target, NullArray, empty string) start here and are never freed.
constexpr int32_t kImmortalRefs = 1 << 30;

inline void BlockAddRef(const void* payload) { HeaderOf(payload)->refs.fetch_add(1, std::memory_order_relaxed); }
inline void BlockRelease(const void* payload) {
  BlockHeader* h = HeaderOf(payload);
  if (h->refs.fetch_sub(1, std::memory_order_acq_rel) <= 1) BlockDestroy(const_cast<void*>(payload));
}
// Release of an array block: nothing hands out new references to one (no weak target), so the last
// owner sees a count of 1 that nobody else can raise and frees the block without an interlocked write;
// the acquire read orders the other owners' releases before it. Arrays seldom share a block, so the
// read is of the line the write would have taken anyway. (Not for strings: a read just after another
// interlocked write to the same count waits for it, and a shared string's copies come and go in pairs.)
inline void BlockReleaseArray(const void* payload) {
  BlockHeader* h = HeaderOf(payload);
  if (h->refs.load(std::memory_order_acquire) == 1) {
    h->refs.store(0, std::memory_order_relaxed);
    BlockDestroy(const_cast<void*>(payload));
  } else if (h->refs.fetch_sub(1, std::memory_order_acq_rel) <= 1) {
    BlockDestroy(const_cast<void*>(payload));
  }
}
inline int32_t BlockRefCount(const void* payload) { return HeaderOf(payload)->refs.load(std::memory_order_relaxed); }

// A new object block: zeroed payload, count 0, the nil weak target. Never null.
void* BlockNewObject(size_t size, const TypeRecord* type);
// The same with a zeroed trailing area of `extra` bytes after the object.
void* BlockNewObjectExtra(size_t size, const TypeRecord* type, size_t extra);
// The same placed in the node arena beside the nodes made just before it, for the records a walk over the
// scene tree reads (a T-node and its S-node); a block too large for the arena comes from the heap.
void* BlockNewNodeObject(size_t size, const TypeRecord* type, size_t extra);
// Last step of every object destroy function: retires the weak target, then frees the block.
void ObjBlockDestruct(void* object);
// The most elements (or characters, with their NUL) one array or string block holds: the header keeps
// counts in 32 bits, and growth rules computed in 64 bits stop here instead of wrapping.
constexpr int64_t kMaxBlockCount = INT32_MAX - 64;
// `count` as a block count when it is 0..kMaxBlockCount and its bytes fit a size_t; anything else is a
// request no allocator can meet and runs the out-of-memory handler with its true size, never a wrapped one.
int32_t BlockCheckedCount(int64_t count, size_t elementSize);
// A new array block of `capacity` elements of the type record's size; capacity 0 gives NullArray.
void* BlockNewArray(int capacity, int count, const TypeRecord* type);
// Moves an array block whose only owner is the caller to room for `capacity` elements (capacity >= count > 0
// and the block not a shared immortal one); elements move bitwise. Returns the new payload.
void* BlockResizeArray(void* payload, int capacity);
// Frees an array or string block whose elements are already gone.
void BlockDelete(void* payload);

// The shared empty array every empty Array points at (capacity 0, count 0).
void* NullArrayPayload();

// Blocks allocated and not yet freed (immortal blocks excluded); tests and the last shutdown read it.
long LiveBlockCount();

// Raw allocation behind every block. Never returns null: failure runs the out-of-memory handler.
void* BlockAlloc(size_t bytes);
void BlockFree(void* raw);

// Tests make allocations fail through this hook (returning true fails the request of that size).
using AllocFailHook = bool (*)(size_t bytes);
void SetAllocFailHook(AllocFailHook hook);

// Shows the out-of-memory message and ends the process with exit code -9. The message goes
// through the replaceable reporter (the message dialog once it exists; stderr until then).
using OutOfMemoryReporter = void (*)(const char* text);
void SetOutOfMemoryReporter(OutOfMemoryReporter reporter);
[[noreturn]] void OutOfMemory(size_t bytes);

}  // namespace PM
