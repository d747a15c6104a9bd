#include "render/d3d8/D3D8FormatNames.h"

#include <cstddef>

namespace PM {

namespace {

struct Name {
  uint32_t value;
  const char* text;
};

const Name kColorNames[] = {{20, "R8G8B8"},   {21, "A8R8G8B8"}, {22, "X8R8G8B8"}, {23, "R5G6B5"}, {24, "X1R5G5B5"},
                            {25, "A1R5G5B5"}, {26, "A4R4G4B4"}, {27, "R3G3B2"},   {28, "A8"},     {29, "A8R3G3B2"},
                            {30, "X4R4G4B4"}, {50, "L8"},       {51, "A8L8"},     {52, "A4L4"}};
const Name kDepthNames[] = {{70, "D3DFMT_D16_LOCKABLE"}, {71, "D3DFMT_D32"},   {73, "D3DFMT_D15S1"},
                            {75, "D3DFMT_D24S8"},        {77, "D3DFMT_D24X8"}, {79, "D3DFMT_D24X4S4"},
                            {80, "D3DFMT_D16"}};
const Name kDeviceTypeNames[] = {{1, "D3DDEVTYPE_HAL"}, {2, "D3DDEVTYPE_REF"}, {3, "D3DDEVTYPE_SW"}};

template <std::size_t N>
const char* Find(const Name (&table)[N], uint32_t value, const char* otherwise) {
  for (const Name& n : table)
    if (n.value == value) return n.text;
  return otherwise;
}

}  // namespace

const char* D3D8ColorFormatName(D3DFORMAT format) { return Find(kColorNames, format, "UNKNOWN"); }
const char* D3D8DepthFormatName(D3DFORMAT format) { return Find(kDepthNames, format, "UNKNOWN"); }
const char* D3D8DeviceTypeName(uint32_t type) { return Find(kDeviceTypeNames, type, "D3DDEVTYPE_?"); }

}  // namespace PM
