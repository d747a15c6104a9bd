// Result codes of the network layer (HTTP client, TCP client and server). Not found, access denied and
// time-out are the engine's general codes; the rest are the network's own, registered by name.
#pragma once

#include <cstdint>

#include "core/ResultCode.h"

namespace PM {

using NetResult = ResultCode;

constexpr NetResult kNetOk = SOK;
constexpr NetResult EHttpAccessDenied = EAccessDenied;  // 401, 403
constexpr NetResult EHttpNotFound = ENotFound;          // 404, 410
constexpr NetResult ENetTimeOut = ETimeOut;             // a connect, send or receive wait ran out

extern const NetResult ENetBadAddress;     // a URL or host that cannot be used
extern const NetResult ENetBadRequest;     // a method or range that cannot be asked for
extern const NetResult ENetConnectFailed;  // refused, unreachable, or the name is unknown
extern const NetResult ENetSendFailed;
extern const NetResult ENetReceiveFailed;
extern const NetResult ENetClosed;  // the peer closed before the exchange was complete
extern const NetResult ENetNotConnected;
extern const NetResult ENetBusy;                  // the server runs already, or its port is taken
extern const NetResult EHttpMalformed;            // a response that breaks the HTTP framing
extern const NetResult EHttpTooLarge;             // a line, the header block or the body over its limit
extern const NetResult EHttpUnsupported;          // a transfer coding or protocol switch we do not speak
extern const NetResult EHttpBodyTooLong;          // more bytes than the response declared
extern const NetResult EHttpRedirect;             // 3xx: redirects are refused
extern const NetResult EHttpRangeNotSatisfiable;  // 416
extern const NetResult EHttpClientError;          // other 4xx
extern const NetResult EHttpServerError;          // 5xx

// The code's name, as ResultCodeName gives it ("ENetClosed", "ETimeOut").
inline const char* NetResultName(NetResult r) { return ResultCodeName(r); }

// The code an HTTP status reports: kNetOk for 2xx, a named error otherwise.
NetResult NetResultForHttpStatus(int status);

}  // namespace PM
