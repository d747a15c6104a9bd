// Triangle lists of the OFF meshes shipped in Debian's libcgal-demo (data.tar.gz), read for tests and
// benchmarks. Polygons are fanned into triangles.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace PM::Test {

inline const char* kCgalData = "/usr/share/doc/libcgal-dev/data.tar.gz";

// The triangles of an OFF file, empty when it can't be read.
inline std::vector<int32_t> ReadOffTriangles(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  std::string line;
  while (std::getline(file, line)) text << line.substr(0, line.find('#')) << '\n';
  std::string magic;
  long vertices = 0, faces = 0, edges = 0;
  if (!(text >> magic >> vertices >> faces >> edges) || magic != "OFF") return {};
  for (long i = 0; i < vertices; ++i) std::getline(text >> std::ws, line);
  std::vector<int32_t> tris;
  for (long f = 0; f < faces; ++f) {
    int n = 0;
    text >> n;
    std::vector<int32_t> poly(size_t(n > 0 ? n : 0));
    for (int32_t& v : poly) text >> v;
    std::getline(text, line);  // colours, if any
    for (int k = 1; k + 1 < n; ++k) tris.insert(tris.end(), {poly[0], poly[size_t(k)], poly[size_t(k) + 1]});
  }
  return text ? tris : std::vector<int32_t>{};
}

// A mesh of the CGAL data set by name ("anchor", "elephant", ...), extracted into a temporary folder that is
// removed again; empty when the package is missing.
inline std::vector<int32_t> CgalMesh(const std::string& name) {
  namespace fs = std::filesystem;
  if (!fs::exists(kCgalData)) return {};
  fs::path dir = fs::temp_directory_path() / ("pm_cgal_" + std::to_string(getpid()) + "_" + name);
  fs::create_directories(dir);
  std::string member = "data/meshes/" + name + ".off";
  std::string cmd = "tar xzf " + std::string(kCgalData) + " -C " + dir.string() + " " + member + " 2>/dev/null";
  std::vector<int32_t> tris;
  if (std::system(cmd.c_str()) == 0) tris = ReadOffTriangles((dir / member).string());
  fs::remove_all(dir);
  return tris;
}

}  // namespace PM::Test
