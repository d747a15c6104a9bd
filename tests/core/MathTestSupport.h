// Helpers of the math tests: the shared matrix checks and a capture of the error log that keeps each
// message's level.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Log.h"
#include "core/Matrix4f.h"
#include "support/MathCheck.h"

namespace PM::Test {

// Replaces the error pipe for its lifetime and records each message's level and text.
class ErrorLogCapture {
 public:
  struct Message {
    int level;
    std::string text;
  };
  ErrorLogCapture() : m_saved(LogErrPipe()) { LogErrPipe() = StreamPipeRef(NewCounted<Pipe>(&m_messages)); }
  ~ErrorLogCapture() { LogErrPipe() = m_saved; }
  const std::vector<Message>& Messages() const { return m_messages; }

 private:
  class Pipe : public StreamPipe {
   public:
    explicit Pipe(std::vector<Message>* out) : m_out(out) {}
    void BeginMessage(int level) override { m_out->push_back({level, std::string()}); }
    int64_t Write(const void* bytes, int64_t n) override {
      if (m_out->empty()) m_out->push_back({0, std::string()});
      m_out->back().text.append(static_cast<const char*>(bytes), size_t(n));
      return n;
    }

   private:
    std::vector<Message>* m_out;
  };
  std::vector<Message> m_messages;
  StreamPipeRef m_saved;
};

}  // namespace PM::Test
