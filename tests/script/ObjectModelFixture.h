// Shared fixture of the object model tests: a started object model, two small classes A and B : A,
// and a capture of the error log.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/Log.h"
#include "script/object/MemberDef.h"
#include "script/object/ObjectModel.h"
#include "script/object/ValueBox.h"
#include "support/LogCapture.h"

namespace PM::Test {

struct A : ScriptObject {
  static constexpr uint32_t kClassId = 0xFFFFF100;
  int32_t count = 0;
  float weight = 0;
  String label;
  uint32_t mode = 0;  // an Euler.RotationOrderEnum value
  uint32_t bits = 0;
  int32_t derived = 0;                // 0x5: not cloned
  Obj<ScriptObject> owned;            // 0x1200: deep-copied by CopyTemplate
  Obj<ScriptObject> shared;           // 0x1204: copied as a reference
  Obj<ScriptObject> parent;           // 0x1207: a back link
  Array<Obj<ScriptObject>> children;  // 0x2600
  Array<Vector3f> points;             // 0x800
  Obj<A> typed;                       // a reference that must be an A

  int32_t GetTwice() const { return count * 2; }
  void SetTwice(int32_t v) { count = v / 2; }
};

struct B : A {
  static constexpr uint32_t kClassId = 0xFFFFF101;
  double extra = 0;
};

// Members of A and B.
enum : uint32_t {
  kACount = 0x01FFF100,
  kAWeight = 0x02FFF100,
  kALabel = 0x03FFF100,
  kAMode = 0x04FFF100,
  kABits = 0x05FFF100,
  kADerived = 0x06FFF100,
  kAOwned = 0x07FFF100,
  kAShared = 0x08FFF100,
  kAParent = 0x09FFF100,
  kAChildren = 0x0AFFF100,
  kAPoints = 0x0BFFF100,
  kATyped = 0x0CFFF100,
  kATwice = 0x0DFFF100,
  kBExtra = 0x01FFF101,
};

const TypeRecord& TypeA();
const TypeRecord& TypeB();

class ObjectModelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Log lines written since the last call, and clears them.
  std::string TakeLog();
  int LogLines(const std::string& text) const;
  static A* NewA() { return NewScriptObject<A>(TypeA(), A::kClassId); }
  static B* NewB() { return NewScriptObject<B>(TypeB(), B::kClassId); }

  TextPipe* m_log = nullptr;
  StreamPipeRef m_savedErr;
  long m_live = 0;
};

}  // namespace PM::Test
