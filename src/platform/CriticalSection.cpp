#include "platform/CriticalSection.h"

#include <mutex>

namespace PM {

static std::recursive_mutex* Mutex(void* p) { return static_cast<std::recursive_mutex*>(p); }

CriticalSection::CriticalSection() : m_section(new std::recursive_mutex) {}
CriticalSection::~CriticalSection() { delete Mutex(m_section); }
void CriticalSection::Enter() { Mutex(m_section)->lock(); }
void CriticalSection::Leave() { Mutex(m_section)->unlock(); }
bool CriticalSection::TryEnter() { return Mutex(m_section)->try_lock(); }

}  // namespace PM
