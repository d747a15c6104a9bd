#include "core/Trace.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "core/Log.h"

namespace PM {

namespace {
TraceSlot g_slots[kTraceSlots];
std::atomic<const char*> g_global1{nullptr};
std::atomic<const void*> g_global2{nullptr};

// The calling thread's slot: claimed on its first trace, freed when the thread ends.
struct ThreadSlot {
  int index = -1;  // none yet (or none was free: asked again on the next trace)
  int depth = 0;
  ~ThreadSlot() {
    if (index < 0) return;
    g_slots[index].thread.store(0, std::memory_order_release);
  }
};
thread_local ThreadSlot t_slot;

TraceSlot* ClaimSlot() {
  if (t_slot.index < 0) {
    int64_t tid = int64_t(syscall(SYS_gettid));
    for (int i = 0; i < kTraceSlots; ++i) {
      int64_t expected = 0;
      if (g_slots[i].thread.compare_exchange_strong(expected, tid, std::memory_order_acq_rel)) {
        g_slots[i].next = 0;
        std::memset(g_slots[i].ring, 0, sizeof g_slots[i].ring);
        t_slot.index = i;
        break;
      }
    }
  }
  return t_slot.index >= 0 ? &g_slots[t_slot.index] : nullptr;
}

void Record(char kind, const char* label) {
  TraceSlot* slot = ClaimSlot();
  if (!slot) {
    LogWarn("Unexpected Trace from ", label, ".");
    return;
  }
  TraceEntry& e = slot->ring[slot->next % kTraceRingLength];
  e.kind = 0;  // a half-written entry reads as unused
  std::strncpy(e.label, label ? label : "(NULL)", kTraceLabelBytes - 1);
  e.label[kTraceLabelBytes - 1] = 0;
  e.kind = kind;
  slot->next++;
}
}  // namespace

void TraceEnter(const char* label) {
  Record('>', label);
  t_slot.depth++;
}
void TraceMark(const char* label) { Record('-', label); }
void TraceLeave(const char* label) {
  Record('<', label);
  if (t_slot.depth > 0) t_slot.depth--;
}
int TraceDepth() { return t_slot.depth; }

void SetTraceGlobal1(const char* text) { g_global1.store(text, std::memory_order_relaxed); }
void SetTraceGlobal2(const void* value) { g_global2.store(value, std::memory_order_relaxed); }
const char* GetTraceGlobal1() { return g_global1.load(std::memory_order_relaxed); }
const void* GetTraceGlobal2() { return g_global2.load(std::memory_order_relaxed); }

const TraceSlot* TraceSlots() { return g_slots; }

}  // namespace PM
