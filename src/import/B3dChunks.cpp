#include "import/B3dChunks.h"

#include <cstring>
#include <string>
#include <vector>

namespace PM::Import {

namespace {

constexpr size_t kLongest = size_t{64} << 20;
// A node's fixed fields after its name: position, scale and rotation, ten floats.
constexpr size_t kNodeFields = 40;

int32_t Int(const std::string& bytes, size_t at) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

}  // namespace

bool CountB3dChunks(FILE* file, B3dCounts& counts) {
  std::string bytes;
  char buffer[1 << 16];
  while (file && bytes.size() < kLongest) {
    const size_t n = std::fread(buffer, 1, sizeof buffer, file);
    if (n == 0) break;
    bytes.append(buffer, n);
  }
  if (bytes.size() < 12 || bytes.compare(0, 4, "BB3D") != 0) return false;
  // Chunks one after another, each a tag, a length and a body; a NODE's and the file's own body hold
  // chunks in turn. Each step passes at least a chunk's header, so the walk ends within the bytes.
  std::vector<size_t> ends{bytes.size()};
  size_t at = 0;
  while (!ends.empty()) {
    if (at + 8 > ends.back()) {
      at = ends.back();
      ends.pop_back();
      continue;
    }
    const std::string tag = bytes.substr(at, 4);
    const int32_t length = Int(bytes, at + 4);
    const size_t body = at + 8;
    const size_t end = length < 0 || size_t(length) > ends.back() - body ? ends.back() : body + size_t(length);
    at = end;
    if (tag == "BB3D" && body + 4 <= end) {
      ends.push_back(end);
      at = body + 4;  // past the version
    } else if (tag == "NODE") {
      const void* name = std::memchr(bytes.data() + body, 0, end - body);
      const size_t children = name ? size_t(static_cast<const char*>(name) - bytes.data()) + 1 + kNodeFields : end;
      if (children < end) ends.push_back(end), at = children;
    } else if (tag == "MESH") {
      ++counts.meshes;
    } else if (tag == "KEYS") {
      ++counts.keyedNodes;
    } else if (tag == "ANIM" && body + 12 <= end) {
      if (counts.clips++ == 0) counts.frames = Int(bytes, body + 4);
    }
  }
  return true;
}

}  // namespace PM::Import
