#include "platform/ThreadLocal.h"

#include "platform/LastError.h"

namespace PM {

ThreadLocalSlot::ThreadLocalSlot() {
  int error = pthread_key_create(&m_key, nullptr);
  m_valid = error == 0;
  if (!m_valid) SetLastErrorCode(uint32_t(error));
}

ThreadLocalSlot::~ThreadLocalSlot() {
  if (m_valid) pthread_key_delete(m_key);
}

void* ThreadLocalSlot::Get() const { return m_valid ? pthread_getspecific(m_key) : nullptr; }

bool ThreadLocalSlot::Set(void* value) {
  if (!m_valid) return false;
  int error = pthread_setspecific(m_key, value);
  if (error != 0) SetLastErrorCode(uint32_t(error));
  return error == 0;
}

}  // namespace PM
