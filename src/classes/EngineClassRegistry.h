// The engine class table is assembled from entries that each class's own file adds at static
// initialisation; RegisterEngineClasses then defines them in the order list's fixed order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace PM {

// Defines one class of the table (or an S/T pair), then its own members, then any enum type it owns
// with its values.
using DefineClassFn = void (*)();

// Adds the entry for a class (a pair is entered under the id of the class listed first); the id may be
// the class id or its index.
bool AddEngineClassEntry(uint32_t classIndex, DefineClassFn define);

// Enters each class's Define under its own id: the classes a file defines enter themselves, so no table
// elsewhere has to be kept in step with them.
template <class... T>
bool EnterEngineClasses() {
  bool entered = true;  // every class is entered, whether or not one before it was
  ((entered = AddEngineClassEntry(T::kClassId, &T::Define) && entered), ...);
  return entered;
}

// The entry of a class index, or null when no source file added one.
DefineClassFn FindEngineClassEntry(uint32_t classIndex);

// The class indexes that have an entry, ascending.
std::vector<uint32_t> EngineClassEntryIndexes();

}  // namespace PM
