// A lock recursive for its owning thread; every lock of the library is one.
#pragma once

namespace PM {

class CriticalSection {
 public:
  CriticalSection();
  ~CriticalSection();
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter();
  void Leave();
  bool TryEnter();

 private:
  void* m_section;  // the operating-system lock (a recursive mutex)
};

// Holds a CriticalSection for the life of a scope.
class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
  ~CriticalSectionLock() { m_cs.Leave(); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CriticalSection& m_cs;
};

}  // namespace PM
