#include "script/lang/ErrorReport.h"

#include "script/lang/Lexer.h"

namespace PM {

void ErrorReport::EndError(StreamPipeRef& stream) {
  stream.EndLine();
  stream.SetColor(7, 0);
  stream.Unlock();
}

StreamPipeRef PlainErrorReport::ReportError() {
  ++m_errors;
  if (m_firstLine == 0 && m_lexer) {
    m_firstLine = m_lexer->GetLine();
    m_firstColumn = m_lexer->GetColumn();
  }
  if (m_quiet) return StreamPipeRef();  // the null stream discards the message
  StreamPipeRef s = LogOutPipe();
  s.Lock();
  s.SetColor(11, 0);
  s.WriteText("File: ").WriteString(m_name).WriteText("(");
  s.WriteI32(m_lexer ? m_lexer->GetLine() : 0).WriteText(") x=");
  s.WriteI32(m_lexer ? m_lexer->GetColumn() : 0).WriteText(" :\n    ");
  return s;
}

void PlainErrorReport::EndError(StreamPipeRef& stream) {
  if (stream.IsNull()) return;
  ErrorReport::EndError(stream);
}

}  // namespace PM
