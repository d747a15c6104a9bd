// Rotation keys for the resampling's tests and benchmark: turning at random (the awkward shape) or by a
// degree a key about one tilted axis.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>

#include "import/ImportScene.h"

namespace PM::Test {

inline Import::Keys RotationTurns(size_t n, bool random, uint32_t seed = 7) {
  std::mt19937 generator(seed);
  std::normal_distribution<float> normal;
  Import::Keys k;
  for (size_t i = 0; i < n; ++i) {
    k.times.push_back(double(i));
    float q[4] = {normal(generator), normal(generator), normal(generator), normal(generator)};
    if (!random) {
      const float h = float(i) * 0.5f * 3.14159265f / 180;
      q[0] = std::cos(h), q[1] = std::sin(h) * 0.6f, q[2] = std::sin(h) * 0.8f, q[3] = 0;
    }
    const float norm = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (float v : q) k.values.push_back(v / norm);
  }
  return k;
}

}  // namespace PM::Test
