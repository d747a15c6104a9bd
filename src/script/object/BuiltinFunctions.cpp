// The built-in global functions.
#include <cmath>

#include "script/object/GlobalFunctions.h"
#include "script/object/ValueBox.h"

namespace PM {

namespace {

// A boxed number as a double; false for anything else.
bool BoxedNumber(ScriptObject* obj, double& out) {
  bool found = false;
  if (obj && !IsNilObject(obj)) {
    uint32_t id = obj->GetClassID();
    WithValueTag(id, [&](auto tag) {
      using T = decltype(tag);
      if constexpr (std::is_arithmetic_v<typename T::Value> && !std::is_same_v<typename T::Value, bool> &&
                    !std::is_same_v<T, VEnum> && !std::is_same_v<T, VMemberID> && !std::is_same_v<T, VObject>) {
        out = double(static_cast<ValueBox<T>*>(obj)->value);
        found = true;
      }
    });
  }
  return found;
}

// Sqrt(number): F64 for an F64, else F32. Negative numbers and other arguments are refused.
Obj<ScriptObject> Sqrt(uint32_t id, int32_t argc, ScriptObject** argv) {
  double x = 0;
  if (argc != 1 || !BoxedNumber(argv[0], x) || !(x >= 0)) {
    ReportInvalidArguments(id);
    return Obj<ScriptObject>();
  }
  if (argv[0]->GetClassID() == kClassF64) return Obj<ScriptObject>(NewBox<VF64>(std::sqrt(x)));
  return Obj<ScriptObject>(NewBox<VF32>(float(std::sqrt(x))));
}

struct Builtin {
  uint32_t id;
  const char* name;
  GlobalFunctionFn fn;
};
constexpr Builtin kBuiltins[] = {
    {kFunctionSqrt, "Sqrt", &Sqrt},
};

}  // namespace

void RegisterBuiltinFunctions() {
  for (const Builtin& b : kBuiltins) SetGlobalFunction(b.id, b.name, b.fn);
}

}  // namespace PM
