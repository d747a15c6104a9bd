// Irrlicht 1.8's side of the OpenGL frames benchmark: one device (window and OpenGL context) that draws
// the cube field as mesh scene nodes over one mesh on static hardware buffers, one directional light and
// linear fog. Built apart from the benchmark because Irrlicht's headers do not compile as C++20.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace PM::Bench {

class IrrlichtCubes {
 public:
  // The device with its window of CubeField::kSide pixels square; null, with the reason, when it fails.
  static std::unique_ptr<IrrlichtCubes> Open(std::string* fault);
  ~IrrlichtCubes();

  // Makes the device's own GLX context current (it names it in its exposed video data).
  void MakeCurrent();
  // Makes the field of n cubes the one Frame draws, building it the first time.
  void Select(int n);
  // A frame as an Irrlicht application draws one: events, clear, the scene, swap. With `readBack` the
  // frame is read back (RGB rows from the bottom) before the swap.
  void Frame(std::vector<uint8_t>* readBack = nullptr);
  // The triangles of the last frame, as the driver counted them.
  uint32_t LastPrimitiveCount() const;

 private:
  struct D;
  explicit IrrlichtCubes(std::unique_ptr<D> d);
  std::unique_ptr<D> m_d;
};

}  // namespace PM::Bench
