#include "storage/HttpClient.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/Log.h"
#include "platform/Socket.h"
#include "storage/HttpResponseParser.h"
#include "storage/Streams.h"

namespace PM {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint16_t kDefaultHttpPort = 80;
constexpr size_t kReceiveBytes = 16384;
// After the declared end, how long to watch for bytes a server sends beyond it.
constexpr int kTrailingWatchMs = 250;

struct Url {
  std::string host;        // without brackets, for the resolver
  std::string hostHeader;  // as written, with ":port" when the URL names a port other than 80
  uint16_t port = kDefaultHttpPort;
  std::string target;  // path and query, percent-encoded where needed
};

bool IsHostChar(char c, bool bracketed) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.' ||
         c == '_' || (bracketed && c == ':');
}

// Bytes a request line cannot carry as they are: spaces, controls, bytes from 0x80 up and the unsafe few.
bool NeedsEscape(unsigned char c) { return c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c) != nullptr; }

// Parses "http://host[:port][/path][?query][#fragment]"; the error text when it cannot be used.
const char* ParseUrl(const char* url, Url& u) {
  if (!url) return "no URL";
  if (strncasecmp(url, "https://", 8) == 0) return "https is not supported";
  if (strncasecmp(url, "http://", 7) != 0) return "not an http:// URL";
  const char* a = url + 7;
  const char* authorityEnd = a + std::strcspn(a, "/?#");
  std::string authority(a, authorityEnd);
  if (authority.find('@') != std::string::npos) return "user names in URLs are not supported";
  size_t portColon;
  if (!authority.empty() && authority[0] == '[') {
    size_t close = authority.find(']');
    if (close == std::string::npos) return "unclosed [ in the host";
    u.host = authority.substr(1, close - 1);
    portColon = close + 1 < authority.size() ? close + 1 : std::string::npos;
    if (portColon != std::string::npos && authority[portColon] != ':') return "bad host";
  } else {
    portColon = authority.find(':');
    u.host = authority.substr(0, portColon);
  }
  if (u.host.empty()) return "no host";
  for (char c : u.host)
    if (!IsHostChar(c, authority[0] == '[')) return "bad host";
  u.hostHeader = authority;
  if (portColon != std::string::npos) {
    std::string digits = authority.substr(portColon + 1);
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
      return "bad port";
    unsigned long port = std::stoul(digits);
    if (port == 0 || port > 65535) return "bad port";
    u.port = uint16_t(port);
    if (u.port == kDefaultHttpPort) u.hostHeader = authority.substr(0, portColon);
  }
  const char* targetEnd = authorityEnd + std::strcspn(authorityEnd, "#");
  if (*authorityEnd != '/') u.target.assign(1, '/');  // (g++ 12 warns falsely of overlap on = "/")
  static const char kHex[] = "0123456789ABCDEF";
  for (const char* p = authorityEnd; p < targetEnd; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (NeedsEscape(c)) {
      u.target += '%';
      u.target += kHex[c >> 4];
      u.target += kHex[c & 15];
    } else {
      u.target += char(c);
    }
  }
  return nullptr;
}

std::string BuildRequest(const char* method, const Url& u, const HttpOptions& o) {
  std::string r =
      std::string(method) + " " + u.target + " HTTP/1.1\r\nHost: " + u.hostHeader + "\r\nUser-Agent: Pelmora Agent\r\n";
  if (o.rangeFirst >= 0) {
    r += "Range: bytes=" + std::to_string(o.rangeFirst) + "-";
    if (o.rangeLast >= 0) r += std::to_string(o.rangeLast);
    r += "\r\n";
  }
  return r + "Connection: close\r\n\r\n";
}

int MsUntil(Clock::time_point deadline) {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return ms <= 0 ? 0 : int(ms);
}

HttpResponse Failure(const char* method, const char* url, NetResult result, const std::string& text) {
  LogError("HttpClient: ", method, " ", url ? url : "(NULL)", ": ", text.c_str(), " (", NetResultName(result), ").");
  HttpResponse r;
  r.result = result;
  return r;
}

std::string SocketErrorText(int error) {
  return error == -ETIMEDOUT ? std::string("timed out") : std::string(std::strerror(-error));
}

}  // namespace

const char* HttpResponse::Header(const char* name) const { return FindHttpHeader(headers, name); }

HttpResponse HttpClient::Get(const char* url, const HttpOptions& options) { return Request("GET", url, options); }

HttpResponse HttpClient::Head(const char* url, const HttpOptions& options) { return Request("HEAD", url, options); }

HttpResponse HttpClient::Request(const char* method, const char* url, const HttpOptions& options) {
  if (!method || (std::strcmp(method, "GET") != 0 && std::strcmp(method, "HEAD") != 0))
    return Failure(method ? method : "(NULL)", url, ENetBadRequest, "only GET and HEAD are supported");
  if (options.rangeFirst >= 0 && options.rangeLast >= 0 && options.rangeLast < options.rangeFirst)
    return Failure(method, url, ENetBadRequest, "the range ends before it starts");
  Url u;
  if (const char* bad = ParseUrl(url, u)) return Failure(method, url, ENetBadAddress, bad);

  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(0, options.totalTimeoutMs));
  auto wait = [&](int limitMs) { return std::min(std::max(0, limitMs), MsUntil(deadline)); };

  Socket socket;
  int c = Socket::Connect(u.host.c_str(), u.port, wait(options.connectTimeoutMs), socket);
  if (c < 0)
    return Failure(method, url, c == -ETIMEDOUT ? ENetTimeOut : ENetConnectFailed, "connect: " + SocketErrorText(c));
  std::string request = BuildRequest(method, u, options);
  int64_t sent = socket.Send(request.data(), int64_t(request.size()), wait(options.readTimeoutMs));
  if (sent < 0)
    return Failure(method, url, sent == -ETIMEDOUT ? ENetTimeOut : ENetSendFailed,
                   "send: " + SocketErrorText(int(sent)));

  bool head = std::strcmp(method, "HEAD") == 0;
  StreamPipeRef body = head ? nullptr : NewMemoryStream();
  HttpResponseParser::Limits limits;
  limits.maxBodyBytes = options.maxBodyBytes;
  HttpResponseParser parser(head ? nullptr : body.Get(), head, limits);
  std::vector<char> buffer(kReceiveBytes);
  // Each pass takes bytes (bounded by the parser's limits) or ends; the total deadline bounds the waits.
  while (!parser.IsDone() && !parser.HasFailed()) {
    int64_t n = socket.Receive(buffer.data(), int64_t(buffer.size()), wait(options.readTimeoutMs));
    if (n > 0) {
      parser.Feed(buffer.data(), size_t(n));
    } else if (n == 0) {
      parser.Finish();
    } else {
      return Failure(
          method, url, n == -ETIMEDOUT ? ENetTimeOut : ENetReceiveFailed,
          "receive: " + SocketErrorText(int(n)) + " after " + std::to_string(parser.BodyBytes()) + " body bytes");
    }
  }
  if (parser.IsDone()) {
    // We asked to close: bytes that still come were sent beyond the declared end.
    int64_t n = socket.Receive(buffer.data(), int64_t(buffer.size()), wait(kTrailingWatchMs));
    if (n > 0) parser.Feed(buffer.data(), size_t(n));
  }
  if (parser.HasFailed()) return Failure(method, url, parser.Error(), parser.ErrorText());

  HttpResponse r;
  r.status = parser.Status();
  r.headers = parser.Headers();
  r.result = NetResultForHttpStatus(r.status);
  if (!head) {
    body->Seek(0, kSeekStart);
    r.body = body;
  }
  if (r.result == EHttpRedirect) {
    const char* location = parser.Header("Location");
    LogError("HttpClient: ", method, " ", url, ": redirect (", int32_t(r.status), ") to ",
             location ? location : "(none)", " refused (", NetResultName(r.result), ").");
  } else if (r.result != kNetOk) {
    LogError("HttpClient: ", method, " ", url, ": status ", int32_t(r.status), " ", parser.Reason().c_str(), " (",
             NetResultName(r.result), ").");
  }
  return r;
}

}  // namespace PM
