#include "storage/HttpResponseParser.h"

#include <strings.h>
#include <algorithm>
#include <cstring>

namespace PM {

namespace {

constexpr int kMaxInterimResponses = 8;

bool IsTokenChar(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

// Field values may hold visible bytes, blanks and tabs, and bytes from 0x80 up; no other controls.
bool IsValueChar(unsigned char c) { return c == '\t' || (c >= 0x20 && c != 0x7F); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& s, size_t from) {
  size_t b = from, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// A decimal count of at most 18 digits (so it fits an int64_t), or -1.
int64_t ParseCount(const std::string& s) {
  if (s.empty() || s.size() > 18) return -1;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

HttpResponseParser::HttpResponseParser(StreamPipe* body, bool headRequest, const Limits& limits)
    : m_body(body), m_head(headRequest), m_limits(limits) {}

bool HttpResponseParser::Fail(NetResult error, std::string text) {
  m_state = kFailed;
  m_error = error;
  m_errorText = std::move(text);
  m_line.clear();
  return false;
}

const char* FindHttpHeader(const std::vector<std::pair<std::string, std::string>>& headers, const char* name) {
  if (!name) return nullptr;
  for (const auto& h : headers)
    if (strcasecmp(h.first.c_str(), name) == 0) return h.second.c_str();
  return nullptr;
}

bool HttpResponseParser::TakeLine(const uint8_t*& p, const uint8_t* end) {
  const uint8_t* lf = static_cast<const uint8_t*>(std::memchr(p, '\n', size_t(end - p)));
  size_t take = lf ? size_t(lf - p) : size_t(end - p);
  if (m_line.size() + take > size_t(m_limits.maxLineBytes) + 1) {  // + 1 for the CR
    Fail(EHttpTooLarge, "a line longer than " + std::to_string(m_limits.maxLineBytes) + " bytes");
    return false;
  }
  m_line.append(reinterpret_cast<const char*>(p), take);
  p += take;
  if (!lf) return false;
  ++p;
  if (!m_line.empty() && m_line.back() == '\r') m_line.pop_back();
  return true;
}

bool HttpResponseParser::Feed(const void* bytes, size_t n) {
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  const uint8_t* end = p + (bytes ? n : 0);
  while (p < end) {
    switch (m_state) {
      case kStatusLine:
      case kHeaderLine:
      case kChunkSize:
      case kChunkEnd:
      case kTrailerLine: {
        if (!TakeLine(p, end)) break;
        bool ok = OnLine();
        m_line.clear();
        if (!ok) return false;
        break;
      }
      case kBodyLength:
        if (!TakeBody(p, end, m_left)) return false;
        if (m_left == 0) m_state = kDone;
        break;
      case kBodyToClose:
        if (!TakeBody(p, end, int64_t(end - p))) return false;
        break;
      case kChunkData:
        if (!TakeBody(p, end, m_left)) return false;
        if (m_left == 0) m_state = kChunkEnd;
        break;
      case kDone:
        return Fail(EHttpBodyTooLong, std::to_string(end - p) + " bytes after the end of the response");
      case kFailed:
        return false;
    }
    if (m_state == kFailed) return false;
  }
  return m_state != kFailed;
}

bool HttpResponseParser::Finish() {
  switch (m_state) {
    case kDone:
      return true;
    case kFailed:
      return false;
    case kBodyToClose:
      m_state = kDone;
      return true;
    case kStatusLine:
      return Fail(ENetClosed,
                  m_line.empty() && m_status == 0 ? "closed without a response" : "closed inside the status line");
    case kHeaderLine:
      return Fail(ENetClosed, "closed inside the headers");
    case kBodyLength:
      return Fail(ENetClosed, "closed after " + std::to_string(m_bodyBytes) + " of " +
                                  std::to_string(m_declaredLength) + " body bytes");
    default:
      return Fail(ENetClosed, "closed inside the chunked body after " + std::to_string(m_bodyBytes) + " bytes");
  }
}

bool HttpResponseParser::OnLine() {
  switch (m_state) {
    case kStatusLine:
      return OnStatusLine();
    case kHeaderLine:
      return OnHeaderLine();
    case kChunkSize:
      return OnChunkSizeLine();
    case kChunkEnd:
      if (!m_line.empty()) return Fail(EHttpMalformed, "no line end after a chunk");
      m_state = kChunkSize;
      return true;
    default:  // a trailer line: counted like a header, otherwise ignored
      if (m_line.empty()) {
        m_state = kDone;
        return true;
      }
      return CountHeaderLine();
  }
}

bool HttpResponseParser::CountHeaderLine() {
  if (++m_headerLines <= m_limits.maxHeaderLines) return true;
  return Fail(EHttpTooLarge, "more than " + std::to_string(m_limits.maxHeaderLines) + " header lines");
}

bool HttpResponseParser::OnStatusLine() {
  // HTTP/d.d SP ddd [SP reason]
  const std::string& s = m_line;
  if (s.size() < 12 || s.compare(0, 5, "HTTP/") != 0 || s[5] != '1' || s[6] != '.' || s[7] < '0' || s[7] > '9' ||
      s[8] != ' ' || (s.size() > 12 && s[12] != ' '))
    return Fail(EHttpMalformed, "malformed status line");
  int status = 0;
  for (int i = 9; i < 12; ++i) {
    if (s[i] < '0' || s[i] > '9') return Fail(EHttpMalformed, "malformed status line");
    status = status * 10 + (s[i] - '0');
  }
  if (status < 100 || status > 599) return Fail(EHttpMalformed, "status " + std::to_string(status) + " out of range");
  std::string reason = s.size() > 13 ? s.substr(13) : std::string();
  for (unsigned char c : reason)
    if (!IsValueChar(c)) return Fail(EHttpMalformed, "control byte in the status line");
  m_status = status;
  m_reason = std::move(reason);
  m_state = kHeaderLine;
  return true;
}

bool HttpResponseParser::OnHeaderLine() {
  if (m_line.empty()) return OnHeadersEnd();
  if (!CountHeaderLine()) return false;
  if (IsBlank(m_line[0])) return Fail(EHttpMalformed, "folded header line");
  size_t colon = m_line.find(':');
  if (colon == std::string::npos || colon == 0) return Fail(EHttpMalformed, "header line without a name");
  for (size_t i = 0; i < colon; ++i)
    if (!IsTokenChar(static_cast<unsigned char>(m_line[i]))) return Fail(EHttpMalformed, "bad header name");
  for (size_t i = colon + 1; i < m_line.size(); ++i)
    if (!IsValueChar(static_cast<unsigned char>(m_line[i]))) return Fail(EHttpMalformed, "control byte in a header");
  std::string name = m_line.substr(0, colon);
  std::string value = Trimmed(m_line, colon + 1);
  if (strcasecmp(name.c_str(), "Content-Length") == 0) {
    int64_t length = ParseCount(value);
    if (length < 0) return Fail(EHttpMalformed, "bad Content-Length \"" + value + "\"");
    if (m_declaredLength >= 0 && m_declaredLength != length) return Fail(EHttpMalformed, "conflicting Content-Length");
    m_declaredLength = length;
  } else if (strcasecmp(name.c_str(), "Transfer-Encoding") == 0) {
    if (strcasecmp(value.c_str(), "chunked") != 0 || m_chunked)
      return Fail(EHttpUnsupported, "transfer coding \"" + value + "\"");
    m_chunked = true;
  }
  m_headers.emplace_back(std::move(name), std::move(value));
  return true;
}

bool HttpResponseParser::OnHeadersEnd() {
  if (m_status < 200) {
    if (m_status == 101) return Fail(EHttpUnsupported, "switching protocols");
    // An interim response (100 Continue, 103 Early Hints): the final one follows.
    if (++m_interim > kMaxInterimResponses) return Fail(EHttpMalformed, "too many interim responses");
    m_headers.clear();
    m_declaredLength = -1;
    m_chunked = false;
    m_state = kStatusLine;
    return true;
  }
  if (m_head || m_status == 204 || m_status == 304) {
    m_state = kDone;
    return true;
  }
  if (m_chunked) {
    m_state = kChunkSize;  // the chunks frame the body; a Content-Length beside them is ignored
    return true;
  }
  if (m_declaredLength >= 0) {
    if (m_declaredLength > m_limits.maxBodyBytes)
      return Fail(EHttpTooLarge, "a body of " + std::to_string(m_declaredLength) + " bytes, over the limit of " +
                                     std::to_string(m_limits.maxBodyBytes));
    m_left = m_declaredLength;
    m_state = m_left == 0 ? kDone : kBodyLength;
    return true;
  }
  m_state = kBodyToClose;
  return true;
}

bool HttpResponseParser::OnChunkSizeLine() {
  // hex-size [blanks] [; extensions]
  size_t i = 0;
  while (i < m_line.size() && m_line[i] == '0') ++i;
  int64_t size = 0;
  int digits = 0;
  for (; i < m_line.size() && HexValue(m_line[i]) >= 0; ++i, ++digits) {
    if (digits >= 15) return Fail(EHttpTooLarge, "chunk size too large");
    size = size * 16 + HexValue(m_line[i]);
  }
  if (i == 0) return Fail(EHttpMalformed, "bad chunk size line");
  while (i < m_line.size() && IsBlank(m_line[i])) ++i;
  if (i < m_line.size() && m_line[i] != ';') return Fail(EHttpMalformed, "bad chunk size line");
  if (size > m_limits.maxBodyBytes - m_bodyBytes)
    return Fail(EHttpTooLarge, "a chunked body over the limit of " + std::to_string(m_limits.maxBodyBytes));
  m_left = size;
  m_state = size == 0 ? kTrailerLine : kChunkData;
  return true;
}

bool HttpResponseParser::TakeBody(const uint8_t*& p, const uint8_t* end, int64_t limit) {
  int64_t k = std::min<int64_t>(limit, end - p);
  if (k > m_limits.maxBodyBytes - m_bodyBytes)
    return Fail(EHttpTooLarge, "a body over the limit of " + std::to_string(m_limits.maxBodyBytes) + " bytes");
  if (m_body && k > 0 && m_body->Write(p, k) != k)
    return Fail(EHttpTooLarge, "the body store refused " + std::to_string(k) + " bytes");
  p += k;
  m_bodyBytes += k;
  m_left -= k;
  return true;
}

}  // namespace PM
