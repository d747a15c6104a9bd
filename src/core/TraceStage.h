// Brackets a stage of work (a stage of a frame, a load) with the trace's enter and leave marks, by
// any path out of the scope.
#pragma once

#include "core/Trace.h"

namespace PM {

class TraceStage {
 public:
  explicit TraceStage(const char* label) : m_label(label) { TraceEnter(label); }
  ~TraceStage() { TraceLeave(m_label); }
  TraceStage(const TraceStage&) = delete;
  TraceStage& operator=(const TraceStage&) = delete;

 private:
  const char* m_label;
};

}  // namespace PM
