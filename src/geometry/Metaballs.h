// SMetaballs and TMetaballs: polygon geometry generated from a field of blobs.
#pragma once

#include "geometry/PolygonGeometry.h"

namespace PM {

class SMetaballs_I : public EngineClass<SMetaballs_I, SPolygonGeometry_I, ClassId::SMetaballs, "SMetaballs"> {
 public:
  static void Define();
};

class TMetaballs_I
    : public EngineClass<TMetaballs_I, TPolygonGeometry_I, ClassId::TMetaballs, "TMetaballs", SMetaballs_I> {
 public:
};

}  // namespace PM
