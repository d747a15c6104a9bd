// Thread tracing: each thread records entered, marked and left sections in its own ring of a fixed
// table of 32 slots, and drawing code leaves two "where am I" values; the crash report dumps both.
#pragma once

#include <atomic>
#include <cstdint>

namespace PM {

constexpr int kTraceSlots = 32;
constexpr int kTraceRingLength = 64;  // entries kept per thread, the oldest overwritten
constexpr int kTraceLabelBytes = 47;  // a label is copied, cut to this many bytes

void TraceEnter(const char* label);
void TraceMark(const char* label);
void TraceLeave(const char* label);

// Open sections of the calling thread (entered less left, never below 0).
int TraceDepth();

// The current drawing phase (text) and the current object's name (a pointer-sized value, normally
// text); null clears. The crash report shows up to 64 bytes of each when they are readable.
void SetTraceGlobal1(const char* text);
void SetTraceGlobal2(const void* value);
const char* GetTraceGlobal1();
const void* GetTraceGlobal2();

// One entry of a ring, read by the crash report.
struct TraceEntry {
  char kind;  // '>' enter, '-' mark, '<' leave, 0 unused
  char label[kTraceLabelBytes];
};

// A slot of the table: the owning thread's id (0 when free; claimed with compare-exchange) and its ring.
struct TraceSlot {
  std::atomic<int64_t> thread;
  uint32_t next;  // count of entries written; the newest is at (next - 1) % kTraceRingLength
  TraceEntry ring[kTraceRingLength];
};

// The table itself, for the crash report (read without locking).
const TraceSlot* TraceSlots();

}  // namespace PM
