// HttpClient: fetches files over plain HTTP/1.1 with GET and HEAD (one request per connection).
// The body arrives whole, within its size limit, as a memory stream; statuses other than 2xx, broken
// framing, redirects and time-outs come back as named result codes and are logged.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/StreamPipe.h"
#include "storage/NetResult.h"

namespace PM {

struct HttpOptions {
  int connectTimeoutMs = 5000;
  int readTimeoutMs = 10000;   // the longest wait for the next bytes
  int totalTimeoutMs = 60000;  // the whole exchange, so a slow trickle cannot hold the caller forever
  int64_t maxBodyBytes = int64_t(64) << 20;
  // Bytes [rangeFirst, rangeLast] of the file ("Range: bytes=first-last"); rangeFirst < 0 asks for the
  // whole file, rangeLast < 0 for the rest from rangeFirst.
  int64_t rangeFirst = -1;
  int64_t rangeLast = -1;
};

struct HttpResponse {
  NetResult result = ENetNotConnected;  // kNetOk for a 2xx status received whole
  int status = 0;                       // 0 when no status line arrived
  std::vector<std::pair<std::string, std::string>> headers;
  StreamPipeRef body;  // positioned at its start; the null stream when there is none

  bool Ok() const { return result == kNetOk; }
  const char* Header(const char* name) const;  // any case; null when absent
};

class HttpClient {
 public:
  HttpClient() = delete;

  static HttpResponse Get(const char* url, const HttpOptions& options = HttpOptions());
  static HttpResponse Head(const char* url, const HttpOptions& options = HttpOptions());
  // method is "GET" or "HEAD".
  static HttpResponse Request(const char* method, const char* url, const HttpOptions& options);
};

}  // namespace PM
