// Result codes of the network layer (HTTP client, TCP client and server), with their names for reports.
// Not found, access denied and time-out share the engine's general codes; the rest are the network's own.
#pragma once

#include <cstdint>

namespace PM {

using NetResult = uint32_t;

constexpr NetResult kNetOk = 0;
constexpr NetResult EHttpAccessDenied = 0x80000009;  // 401, 403
constexpr NetResult EHttpNotFound = 0x8000000A;      // 404, 410
constexpr NetResult ENetTimeOut = 0x80000012;        // a connect, send or receive wait ran out
constexpr NetResult ENetBadAddress = 0x80020001;     // a URL or host that cannot be used
constexpr NetResult ENetConnectFailed = 0x80020002;  // refused, unreachable, or the name is unknown
constexpr NetResult ENetSendFailed = 0x80020003;
constexpr NetResult ENetReceiveFailed = 0x80020004;
constexpr NetResult ENetClosed = 0x80020005;         // the peer closed before the exchange was complete
constexpr NetResult ENetNotConnected = 0x80020006;
constexpr NetResult ENetBusy = 0x80020007;           // the server runs already, or its port is taken
constexpr NetResult ENetBadRequest = 0x80020008;     // a method or range that cannot be asked for
constexpr NetResult EHttpMalformed = 0x80020010;     // a response that breaks the HTTP framing
constexpr NetResult EHttpTooLarge = 0x80020011;      // a header block or body over its limit
constexpr NetResult EHttpUnsupported = 0x80020012;   // a transfer coding or scheme we do not speak
constexpr NetResult EHttpRedirect = 0x80020013;      // 3xx: redirects are refused
constexpr NetResult EHttpRangeNotSatisfiable = 0x80020014;  // 416
constexpr NetResult EHttpClientError = 0x80020015;   // other 4xx
constexpr NetResult EHttpServerError = 0x80020016;   // 5xx
constexpr NetResult EHttpBodyTooLong = 0x80020017;   // more bytes than the response declared

inline bool NetFailed(NetResult r) { return (r & 0x80000000u) != 0; }

// The code's name ("ENetTimeOut"), or "E???" for a code not listed here.
const char* NetResultName(NetResult r);

// The code an HTTP status reports: kNetOk for 2xx, a named error otherwise.
NetResult NetResultForHttpStatus(int status);

}  // namespace PM
