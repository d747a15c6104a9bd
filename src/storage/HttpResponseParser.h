// HttpResponseParser: reads one HTTP/1.x response from the bytes received, in pieces of any size:
// the status line, the headers, and a body framed by Content-Length, by chunks, or by the close.
// Every line, the header count and the body have limits, so no input makes it grow without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/StreamPipe.h"
#include "storage/NetResult.h"

namespace PM {

// The value of the first header of that name (any case), or null when absent.
const char* FindHttpHeader(const std::vector<std::pair<std::string, std::string>>& headers, const char* name);

class HttpResponseParser {
 public:
  struct Limits {
    int maxLineBytes = 8192;   // status line, each header line, each chunk-size line
    int maxHeaderLines = 100;  // header lines of one response, trailers included
    int64_t maxBodyBytes = int64_t(64) << 20;
  };

  // The body's bytes are written to `body` (discarded when null). A response to HEAD has no body
  // whatever it declares.
  HttpResponseParser(StreamPipe* body, bool headRequest, const Limits& limits);
  HttpResponseParser(StreamPipe* body, bool headRequest) : HttpResponseParser(body, headRequest, Limits()) {}

  // Takes the next bytes received; false once the response is malformed, over a limit, or longer
  // than it declared.
  bool Feed(const void* bytes, size_t n);
  // The peer has closed: ends a body that runs to the close; anything else unfinished was cut short.
  bool Finish();

  bool IsDone() const { return m_state == kDone; }
  bool HasFailed() const { return m_state == kFailed; }
  NetResult Error() const { return m_error; }
  const std::string& ErrorText() const { return m_errorText; }

  int Status() const { return m_status; }  // 0 until the status line is read
  const std::string& Reason() const { return m_reason; }
  const std::vector<std::pair<std::string, std::string>>& Headers() const { return m_headers; }
  const char* Header(const char* name) const { return FindHttpHeader(m_headers, name); }
  int64_t DeclaredLength() const { return m_declaredLength; }  // Content-Length, -1 when none
  int64_t BodyBytes() const { return m_bodyBytes; }

 private:
  enum State {
    kStatusLine,
    kHeaderLine,
    kBodyLength,
    kBodyToClose,
    kChunkSize,
    kChunkData,
    kChunkEnd,
    kTrailerLine,
    kDone,
    kFailed
  };

  bool Fail(NetResult error, std::string text);
  // Collects a line up to its LF; true when m_line holds a whole line (the CR before the LF removed).
  bool TakeLine(const uint8_t*& p, const uint8_t* end);
  bool OnLine();  // dispatches a whole line by state
  bool CountHeaderLine();
  bool OnStatusLine();
  bool OnHeaderLine();
  bool OnHeadersEnd();
  bool OnChunkSizeLine();
  bool TakeBody(const uint8_t*& p, const uint8_t* end, int64_t limit);

  StreamPipe* m_body;
  bool m_head;
  Limits m_limits;
  State m_state = kStatusLine;
  NetResult m_error = kNetOk;
  std::string m_errorText;
  std::string m_line;
  int m_status = 0;
  int m_interim = 0;  // 1xx responses skipped before the final one
  int m_headerLines = 0;
  std::string m_reason;
  std::vector<std::pair<std::string, std::string>> m_headers;
  int64_t m_declaredLength = -1;
  bool m_chunked = false;
  int64_t m_bodyBytes = 0;
  int64_t m_left = 0;  // bytes left of the body or of the chunk
};

}  // namespace PM
