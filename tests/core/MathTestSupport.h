// Helpers of the math tests: float comparison of whole values and a capture of the error log pipe.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Log.h"
#include "core/Matrix4f.h"

namespace PM::Test {

inline ::testing::AssertionResult Near(const Matrix4f& a, const Matrix4f& b, float eps) {
  for (int i = 0; i < 16; ++i)
    if (!(std::fabs(a.m[i] - b.m[i]) <= eps))
      return ::testing::AssertionFailure() << "element " << i << ": " << a.m[i] << " vs " << b.m[i];
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult Near(const Vector3f& a, const Vector3f& b, float eps) {
  if (a.IsEqualEps(b, eps)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x << ", " << b.y
                                       << ", " << b.z << ")";
}

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
