// InterfaceBase: the empty base of the plain (non-script) interfaces held through Ptr: archives, the
// render engine, traversals, sound classes. Blocks are destroyed through their type record, never
// through this class, so it has no virtual destructor.
#pragma once

namespace PM {

class InterfaceBase {
 public:
  InterfaceBase() = default;
  // The interface's one slot; derived interfaces start at slot 1.
  virtual void InterfaceSlot0() {}

 protected:
  ~InterfaceBase() = default;
};

}  // namespace PM
