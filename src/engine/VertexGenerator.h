// Base of the generators that produce vertices for geometry. Mesh groups call them through these
// slots with their refined positions; a generator that does not implement a slot answers
// EUnimplemented.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"
#include "core/Array.h"
#include "core/ResultCode.h"
#include "core/Vector3f.h"

namespace PM {

class VertexGenerator_I : public EngineClass<VertexGenerator_I, Object_I, ClassId::VertexGenerator, "VertexGenerator"> {
 public:
  static void Define();

  virtual void GeneratorSlot0() {}
  // 1: gets ready to generate (loads what it needs).
  virtual ResultCode Prepare() { return EUnimplemented; }
  // 2: generates from `positions` into the generator's own vertices.
  virtual ResultCode Generate(Array<Vector3f>* /*positions*/) { return EUnimplemented; }
  // 3: writes the vertices for the current settings onto `positions`.
  virtual ResultCode Apply(Array<Vector3f>* /*positions*/) { return EUnimplemented; }
  // 4, 5: generator-defined operations on its settings.
  virtual ResultCode Operation4(Array<Vector3f>* /*arg*/) { return EUnimplemented; }
  virtual ResultCode Operation5(Array<Vector3f>* /*arg*/) { return EUnimplemented; }
  // 6: generates from `positions` into `out`.
  virtual ResultCode GenerateInto(Array<Vector3f>* /*positions*/, Array<Vector3f>* /*out*/) { return EUnimplemented; }
};

}  // namespace PM
