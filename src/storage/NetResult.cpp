#include "storage/NetResult.h"

namespace PM {

const NetResult ENetBadAddress = RegisterResultCode("ENetBadAddress");
const NetResult ENetBadRequest = RegisterResultCode("ENetBadRequest");
const NetResult ENetConnectFailed = RegisterResultCode("ENetConnectFailed");
const NetResult ENetSendFailed = RegisterResultCode("ENetSendFailed");
const NetResult ENetReceiveFailed = RegisterResultCode("ENetReceiveFailed");
const NetResult ENetClosed = RegisterResultCode("ENetClosed");
const NetResult ENetNotConnected = RegisterResultCode("ENetNotConnected");
const NetResult ENetBusy = RegisterResultCode("ENetBusy");
const NetResult EHttpMalformed = RegisterResultCode("EHttpMalformed");
const NetResult EHttpTooLarge = RegisterResultCode("EHttpTooLarge");
const NetResult EHttpUnsupported = RegisterResultCode("EHttpUnsupported");
const NetResult EHttpBodyTooLong = RegisterResultCode("EHttpBodyTooLong");
const NetResult EHttpRedirect = RegisterResultCode("EHttpRedirect");
const NetResult EHttpRangeNotSatisfiable = RegisterResultCode("EHttpRangeNotSatisfiable");
const NetResult EHttpClientError = RegisterResultCode("EHttpClientError");
const NetResult EHttpServerError = RegisterResultCode("EHttpServerError");

NetResult NetResultForHttpStatus(int status) {
  if (status >= 200 && status <= 299) return kNetOk;
  if (status >= 300 && status <= 399) return EHttpRedirect;
  if (status == 401 || status == 403) return EHttpAccessDenied;
  if (status == 404 || status == 410) return EHttpNotFound;
  if (status == 416) return EHttpRangeNotSatisfiable;
  if (status >= 400 && status <= 499) return EHttpClientError;
  return EHttpServerError;  // the parser admits only 100..599
}

}  // namespace PM
