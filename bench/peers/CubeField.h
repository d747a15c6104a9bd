// The scene of the OpenGL frames benchmark as both of its sides build it: a square field of lit, fogged
// cubes that share one geometry, seen by a 45-degree camera in a square window. Plain C++17, so that the
// Irrlicht side (whose headers predate C++20) reads the same numbers.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace PM::Bench::CubeField {

constexpr int kSide = 256;          // the window, kSide x kSide pixels
constexpr uint8_t kClearGrey = 64;  // our channel's default clear colour (0.25); Irrlicht is given the same
constexpr float kFieldOfView = 45.0f;
constexpr float kNear = 0.5f, kFar = 1024.0f;

// The cube: 24 corners (each face its own normal), 12 triangles, counter-clockwise seen from outside in a
// right-handed frame.
constexpr float kH = 0.35f;
constexpr float kCorners[24][3] = {{kH, -kH, -kH},  {kH, kH, -kH},  {kH, kH, kH},    {kH, -kH, kH},  {-kH, -kH, -kH},
                                   {-kH, -kH, kH},  {-kH, kH, kH},  {-kH, kH, -kH},  {-kH, kH, -kH}, {-kH, kH, kH},
                                   {kH, kH, kH},    {kH, kH, -kH},  {-kH, -kH, -kH}, {kH, -kH, -kH}, {kH, -kH, kH},
                                   {-kH, -kH, kH},  {-kH, -kH, kH}, {kH, -kH, kH},   {kH, kH, kH},   {-kH, kH, kH},
                                   {-kH, -kH, -kH}, {-kH, kH, -kH}, {kH, kH, -kH},   {kH, -kH, -kH}};
constexpr float kFaceNormals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
constexpr int kQuadIndices[6] = {0, 1, 2, 0, 2, 3};  // per face, over its four corners
constexpr int kTriangles = 12;

constexpr float kDiffuse[3] = {0.9f, 0.15f, 0.1f};
constexpr float kFogColor[3] = {0.55f, 0.6f, 0.7f};
constexpr float kRotation[3] = {30, 40, 0};  // degrees about x, y, z: three faces show
constexpr float kSpacing = 1.0f;
constexpr int kDepthSteps = 16;  // cubes stand at 16 depths, so that the fog varies
constexpr float kDepthStep = 0.25f;

inline int Columns(int n) { return int(std::ceil(std::sqrt(double(n)))); }

// Where cube i of n stands: a square grid facing the camera, `back` its distance behind the grid's plane
// (a fixed pattern of depths). Our side looks down -z, Irrlicht (left-handed) down +z.
struct Place {
  float x, y, back;
};
inline Place CubePlace(int i, int n) {
  const int cols = Columns(n);
  const int rows = (n + cols - 1) / cols;
  const int row = i / cols, col = i % cols;
  return {(float(col) - float(cols - 1) / 2) * kSpacing, (float(row) - float(rows - 1) / 2) * kSpacing,
          float((col * 7 + row * 5) % kDepthSteps) * kDepthStep * kSpacing};
}

// The camera stands far enough back for the whole grid to fit the view; the fog runs from just before the
// nearest cubes to a little beyond the farthest.
inline float CameraDistance(int n) {
  return 1.1f * 0.5f * float(Columns(n)) * kSpacing / std::tan(kFieldOfView * 3.14159265f / 360) + 1.0f;
}
inline float FogNear(int n) { return CameraDistance(n) - 1.0f; }
inline float FogFar(int n) { return CameraDistance(n) + float(kDepthSteps) * kDepthStep * kSpacing + 2.0f; }

// The share of a frame (RGB rows of kSide pixels) that shows something besides the clear colour.
inline double CoveredShare(const uint8_t* rgb) {
  int covered = 0;
  for (int p = 0; p < kSide * kSide; ++p) {
    const uint8_t* c = rgb + 3 * p;
    covered += std::abs(c[0] - kClearGrey) + std::abs(c[1] - kClearGrey) + std::abs(c[2] - kClearGrey) > 6;
  }
  return double(covered) / (kSide * kSide);
}
// The least share the cubes must cover for a side to count as drawing.
constexpr double kMinCovered = 0.2;

}  // namespace PM::Bench::CubeField
