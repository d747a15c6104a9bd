// ErrorReport: where the lexer and the parser write their messages. Each report counts one error,
// remembers where the first one happened, and hands out the stream the message text goes to.
#pragma once

#include <cstdint>

#include "core/Log.h"
#include "core/String.h"

namespace PM {

class Lexer;

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

// The plain report of a run: "File: <name>(<line>) x=<column> :\n    " in colour 11 on 0 on the output
// log, then the message; quiet reports count but write nothing.
class PlainErrorReport : public ErrorReport {
 public:
  PlainErrorReport(Lexer* lexer, const String& name, bool quiet) : m_lexer(lexer), m_name(name), m_quiet(quiet) {}
  StreamPipeRef ReportError() override;
  void EndError(StreamPipeRef& stream) override;
  int ErrorCount() const override { return m_errors; }
  int FirstLine() const override { return m_firstLine; }
  int FirstColumn() const override { return m_firstColumn; }

 private:
  Lexer* m_lexer;
  String m_name;
  bool m_quiet;
  int m_errors = 0;
  int m_firstLine = 0;
  int m_firstColumn = 0;
};

}  // namespace PM
