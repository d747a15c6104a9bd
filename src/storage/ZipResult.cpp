#include "storage/ZipResult.h"

namespace PM {

const ResultCode EZipFormat = RegisterResultCode("EZipFormat");
const ResultCode EZipNoTrailer = RegisterResultCode("EZipNoTrailer");
const ResultCode EZipBadTrailer = RegisterResultCode("EZipBadTrailer");
const ResultCode EZipChecksum = RegisterResultCode("EZipChecksum");
const ResultCode EZipUnsafeName = RegisterResultCode("EZipUnsafeName");
const ResultCode EZipBomb = RegisterResultCode("EZipBomb");
const ResultCode EZipBadMember = RegisterResultCode("EZipBadMember");
const ResultCode EZipWrite = RegisterResultCode("EZipWrite");

}  // namespace PM
