// LockedStream: the base of the stream variants. Its own recursive critical section guards every
// operation, and Lock/Unlock hold it across the writes of one message so no other thread cuts in.
#pragma once

#include "core/StreamPipe.h"
#include "platform/CriticalSection.h"

namespace PM {

class LockedStream : public StreamPipe {
 public:
  void Lock() override { m_cs.Enter(); }
  void Unlock() override { m_cs.Leave(); }

 protected:
  // Held by an operation for its whole run.
  class Hold : public CriticalSectionLock {
   public:
    explicit Hold(LockedStream* s) : CriticalSectionLock(s->m_cs) {}
  };

  // The position an origin-relative seek asks for, or -1 when it lies before the start or overflows.
  static int64_t SeekTarget(int64_t offset, int origin, int64_t position, int64_t length);

 private:
  CriticalSection m_cs;
};

}  // namespace PM
