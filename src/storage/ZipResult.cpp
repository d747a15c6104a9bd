#include "storage/ZipResult.h"

namespace PM {

const char* ZipResultName(uint32_t code) {
  static const struct {
    uint32_t code;
    const char* name;
  } kNames[] = {
      {ZipOK, "SOK"},
      {EZipFormat, "EZipFormat"},
      {EZipNoTrailer, "EZipNoTrailer"},
      {EZipBadTrailer, "EZipBadTrailer"},
      {EZipChecksum, "EZipChecksum"},
      {EZipUnsafeName, "EZipUnsafeName"},
      {EZipBomb, "EZipBomb"},
      {EZipBadMember, "EZipBadMember"},
      {EZipWrite, "EZipWrite"},
      {ZipInvalidArgument, "EInvalidArgument"},
      {ZipNotFound, "ENotFound"},
      {ZipNotOpen, "ENotOpen"},
  };
  for (const auto& n : kNames)
    if (n.code == code) return n.name;
  return "E???";
}

}  // namespace PM
