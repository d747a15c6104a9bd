// ErrorReport: where the lexer and the parser write their messages. Each report counts one error,
// remembers where the first one happened, and hands out the stream the message text goes to. The
// parser's run context (Parser) is the report of a run.
#pragma once

#include <cstdint>

#include "core/Log.h"
#include "core/String.h"

namespace PM {

class ErrorReport {
 public:
  virtual ~ErrorReport() = default;
  // Counts one error and returns the stream, locked and positioned after the location prefix, on which
  // the caller writes the message; EndError then ends the line, restores the colour and unlocks.
  virtual StreamPipeRef ReportError() = 0;
  virtual void EndError(StreamPipeRef& stream);

  virtual int ErrorCount() const = 0;
  virtual int FirstLine() const = 0;
  virtual int FirstColumn() const = 0;
};

// A message through a report: ReportErrorLine(report, "ReadExpect: expected ", name, ".").
template <class... A>
void ReportErrorLine(ErrorReport& report, const A&... parts) {
  StreamPipeRef s = report.ReportError();
  (LogPart(s, parts), ...);
  report.EndError(s);
}

// A message through the report when there is one, else to the error log.
template <class... A>
void ReportOrLog(ErrorReport* report, const A&... parts) {
  if (report)
    ReportErrorLine(*report, parts...);
  else
    LogError(parts...);
}

}  // namespace PM
