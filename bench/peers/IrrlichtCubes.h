// Irrlicht 1.8's side of the OpenGL frames benchmark: one device (window and OpenGL context) that draws
// a field of cubes as mesh scene nodes over one mesh, one directional light and linear fog. Built apart
// from the benchmark because Irrlicht's headers do not compile as C++20.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace PM::Bench {

class IrrlichtCubes {
 public:
  // The device with its window of CubeField::kSide pixels square and the field of n cubes; null, with
  // the reason, when it fails. Its context is current afterwards.
  static std::unique_ptr<IrrlichtCubes> Open(int n, std::string* fault);
  // Closes the window and with it the context and everything the driver made on it.
  ~IrrlichtCubes();

  // Makes the device's context current on the drawable Irrlicht bound it to (its GLX window, which is
  // also the one it swaps), so that each frame's swap waits for that frame as ours does.
  void MakeCurrent();
  // A frame as an Irrlicht application draws one: events, clear, the scene, swap. With `readBack` the
  // frame is read back (RGB rows from the bottom) before the swap.
  void Frame(std::vector<uint8_t>* readBack = nullptr);
  // Waits until OpenGL has finished every frame sent so far.
  void Finish();
  // The triangles of the last frame, as the driver counted them.
  uint32_t LastPrimitiveCount() const;

 private:
  struct D;
  explicit IrrlichtCubes(std::unique_ptr<D> d);
  std::unique_ptr<D> m_d;
};

}  // namespace PM::Bench
