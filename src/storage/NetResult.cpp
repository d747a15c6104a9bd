#include "storage/NetResult.h"

namespace PM {

namespace {

struct NamedCode {
  NetResult code;
  const char* name;
};

constexpr NamedCode kNames[] = {
    {kNetOk, "SOK"},
    {EHttpAccessDenied, "EHttpAccessDenied"},
    {EHttpNotFound, "EHttpNotFound"},
    {ENetTimeOut, "ENetTimeOut"},
    {ENetBadAddress, "ENetBadAddress"},
    {ENetConnectFailed, "ENetConnectFailed"},
    {ENetSendFailed, "ENetSendFailed"},
    {ENetReceiveFailed, "ENetReceiveFailed"},
    {ENetClosed, "ENetClosed"},
    {ENetNotConnected, "ENetNotConnected"},
    {ENetBusy, "ENetBusy"},
    {ENetBadRequest, "ENetBadRequest"},
    {EHttpMalformed, "EHttpMalformed"},
    {EHttpTooLarge, "EHttpTooLarge"},
    {EHttpUnsupported, "EHttpUnsupported"},
    {EHttpRedirect, "EHttpRedirect"},
    {EHttpRangeNotSatisfiable, "EHttpRangeNotSatisfiable"},
    {EHttpClientError, "EHttpClientError"},
    {EHttpServerError, "EHttpServerError"},
    {EHttpBodyTooLong, "EHttpBodyTooLong"},
};

}  // namespace

const char* NetResultName(NetResult r) {
  for (const NamedCode& n : kNames)
    if (n.code == r) return n.name;
  return "E???";
}

NetResult NetResultForHttpStatus(int status) {
  if (status >= 200 && status <= 299) return kNetOk;
  if (status >= 300 && status <= 399) return EHttpRedirect;
  if (status == 401 || status == 403) return EHttpAccessDenied;
  if (status == 404 || status == 410) return EHttpNotFound;
  if (status == 416) return EHttpRangeNotSatisfiable;
  if (status >= 400 && status <= 499) return EHttpClientError;
  if (status >= 500 && status <= 599) return EHttpServerError;
  return EHttpMalformed;
}

}  // namespace PM
