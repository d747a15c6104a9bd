// Captures of log output: a pipe that keeps what is written to it, and a guard that routes one of the
// log pipes into such a pipe while it lives.
#pragma once

#include <algorithm>
#include <string>
#include <utility>

#include "core/Log.h"

namespace PM::Test {

// Keeps everything written to it.
class TextPipe : public StreamPipe {
 public:
  int64_t Write(const void* bytes, int64_t n) override {
    text.append(static_cast<const char*>(bytes), size_t(n));
    return n;
  }
  // What was written since the last call.
  std::string Take() { return std::exchange(text, std::string()); }
  std::string text;
};

// Routes a log pipe (the error log unless told otherwise) into a TextPipe for the life of the object.
class LogCapture {
 public:
  explicit LogCapture(StreamPipeRef& pipe = LogErrPipe())
      : m_pipe(pipe), m_saved(pipe), m_text(NewCounted<TextPipe>()), m_hold(m_text) {
    m_pipe = m_hold;
  }
  ~LogCapture() { m_pipe = m_saved; }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  const std::string& Text() const { return m_text->text; }
  std::string Take() { return m_text->Take(); }
  int Lines() const { return int(std::count(Text().begin(), Text().end(), '\n')); }
  // How often `part` stands in what was captured, none overlapping.
  int Count(const std::string& part) const {
    int n = 0;
    for (size_t at = Text().find(part); at != std::string::npos; at = Text().find(part, at + part.size())) ++n;
    return n;
  }

 private:
  StreamPipeRef& m_pipe;
  StreamPipeRef m_saved;
  TextPipe* m_text;
  StreamPipeRef m_hold;
};

}  // namespace PM::Test
