// CipherStream: enciphers what is written to its target and deciphers what is read from it, with a
// keystream indexed by the target's position, so seeks, appends and partial reads stay in step.
// It hides text from casual reading (the enciphered log); it is not meant to resist an attacker.
#pragma once

#include <cstdint>

#include "storage/LockedStream.h"

namespace PM {

class CipherStream : public LockedStream {
 public:
  CipherStream(const StreamPipeRef& target, uint32_t key);

  // XORs `n` bytes at the stream position `position` with the keystream of `key`.
  static void Apply(uint32_t key, int64_t position, uint8_t* bytes, int64_t n);

  int64_t Read(void* buffer, int64_t n) override;
  int ReadByte() override;
  int PeekByte() override { return PeekByteAt(0); }
  int PeekByteAt(int64_t offset) override;
  int64_t Skip(int64_t n) override { return m_target->Skip(n); }
  int64_t Write(const void* bytes, int64_t n) override;
  int32_t Truncate() override { return m_target->Truncate(); }
  int32_t Flush() override { return m_target->Flush(); }
  int64_t Seek(int64_t offset, int origin) override { return m_target->Seek(offset, origin); }
  int64_t SeekCompressed(int64_t offset, int origin) override { return m_target->SeekCompressed(offset, origin); }
  int64_t GetFileLength() override { return m_target->GetFileLength(); }
  int32_t GetFileTime(int64_t* c, int64_t* a, int64_t* w) override { return m_target->GetFileTime(c, a, w); }
  int32_t SetFileTime(const int64_t* c, const int64_t* a, const int64_t* w) override {
    return m_target->SetFileTime(c, a, w);
  }

 private:
  int64_t Position();

  StreamPipeRef m_target;
  uint32_t m_key;
};

}  // namespace PM
