// RotationKeys: a file's rotation keys (unit quaternions, interpolated spherically as Assimp does) as the
// engine's Euler angles (order XYZ, degrees), which its curves interpolate linearly: each key unwrapped
// to the equivalent angles nearest the key before, and keys added between until the two interpolations
// agree within a bound.
#pragma once

#include <cstddef>
#include <vector>

#include "core/Vector3f.h"
#include "import/ImportScene.h"

namespace PM::Import {

struct EulerKey {
  double time = 0;  // in the file's ticks
  Vector3f degrees{0, 0, 0};
};

// The error bound the importer resamples to, in degrees; the keys are checked at 7 points between each
// pair against a bound half as large.
constexpr double kRotationToleranceDegrees = 0.1;

// The keys of `rotation` (4 floats a key, WXYZ) sorted by time, keys with a non-finite time or value
// dropped, as Euler keys. A segment is halved at most 12 times and at most `maxKeys` keys are made in
// all; false when either limit stopped the resampling (the keys made still cover every file key).
bool EulerKeysFromRotation(const Keys& rotation, size_t maxKeys, std::vector<EulerKey>& out);

// A rotation channel's budget of keys: a few for each of the file's, with a few more for a channel of
// few keys that turns far.
constexpr size_t kRotationKeysPerKey = 4, kRotationKeysSpare = 256;
// The tolerance is loosened by this factor at a time; past the loosest the file's own keys are kept.
constexpr double kLooseningStep = 4, kLoosestToleranceDegrees = 102.4;

struct RotationResampling {
  double toleranceDegrees = kRotationToleranceDegrees;  // what the keys made keep (180: the file's keys alone)
  bool complete = true;                                 // false when the halving limit left a segment short of it
};

// As EulerKeysFromRotation, with at most `budget` keys made (at least the usable keys given): within the
// bound when that fits; else, from the segment on whose share of the keys left would not carry it, within
// a tolerance loosened fourfold at a time, and past the loosest with the file's keys alone.
RotationResampling EulerKeysWithinBudget(const Keys& rotation, size_t budget, std::vector<EulerKey>& out);

// The angle in degrees between the engine's rotation for `degrees` (order XYZ) and the quaternion
// `wxyz`: what the bound measures.
double RotationGapDegrees(const Vector3f& degrees, const double* wxyz);

// Assimp's spherical interpolation (aiQuaternion::Interpolate: along the shorter arc, linear when the
// keys nearly agree), normalised; WXYZ.
void SlerpLikeAssimp(const double* a, const double* b, double s, double* out);

}  // namespace PM::Import
