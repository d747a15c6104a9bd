#include "import/UpAxis.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace PM::Import {

namespace {

// The formats whose files are Z-up by convention and which Assimp hands over unturned (docs/decisions/import.md
// says how each was found), by extension, lower case.
struct Convention {
  const char* extension;
  const char* name;
};
constexpr Convention kZUp[] = {
    {"blend", "Blender"}, {"smd", "Valve SMD"}, {"csm", "CharacterStudio motion"},
    {"cob", "trueSpace"}, {"scn", "trueSpace"}, {"q3o", "Quick3D"},
    {"q3s", "Quick3D"},   {"ter", "Terragen"},  {"hmp", "3D GameStudio terrain"},
    {"3mf", "3MF"},       {"amf", "AMF"},       {"ogex", "OpenGEX"},
};

// A metadata number as an int, whatever type the importer stored it as; false when it is absent.
bool Number(const aiMetadata& meta, const char* key, int& out) {
  for (unsigned i = 0; i < meta.mNumProperties && meta.mKeys && meta.mValues; ++i) {
    if (std::string(meta.mKeys[i].C_Str()) != key || !meta.mValues[i].mData) continue;
    const void* d = meta.mValues[i].mData;
    double v = 0;
    switch (meta.mValues[i].mType) {
      case AI_INT32:
        v = *static_cast<const int32_t*>(d);
        break;
      case AI_UINT64:
        v = double(*static_cast<const uint64_t*>(d));
        break;
      case AI_FLOAT:
        v = *static_cast<const float*>(d);
        break;
      case AI_DOUBLE:
        v = *static_cast<const double*>(d);
        break;
      default:
        return false;
    }
    if (!std::isfinite(v) || std::abs(v) > 8) return false;
    out = int(v);
    return true;
  }
  return false;
}

std::string Extension(const std::string& file) {
  const size_t slash = file.find_last_of('/'), dot = file.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = file.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext;
}

}  // namespace

void ChooseUpAxis(const aiScene& source, const std::string& file, Scene& scene) {
  scene.upAxis = Axis::PlusY;
  scene.frontAxis = Axis::None;
  scene.upFrom.clear();
  int up = 0, upSign = 0;
  if (source.mMetaData && Number(*source.mMetaData, "UpAxis", up) && Number(*source.mMetaData, "UpAxisSign", upSign) &&
      AxisAlong(up, upSign) != Axis::None) {
    scene.upAxis = AxisAlong(up, upSign);
    int front = 0, frontSign = 0;
    if (Number(*source.mMetaData, "FrontAxis", front) && Number(*source.mMetaData, "FrontAxisSign", frontSign) &&
        front != up)
      scene.frontAxis = AxisAlong(front, frontSign);
    scene.upFrom = "the file's UpAxis metadata";
    return;
  }
  const std::string ext = Extension(file);
  for (const Convention& c : kZUp)
    if (ext == c.extension) {
      scene.upAxis = Axis::PlusZ;
      scene.frontAxis = Axis::MinusY;  // the front of a Z-up right-handed package
      scene.upFrom = std::string(c.name) + " files are Z-up";
      return;
    }
}

}  // namespace PM::Import
