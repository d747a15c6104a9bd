// What the command-line checks of pm-run share: small models written by the test, and pictures read
// back into RGB pixels whatever their type.
#pragma once

#include <stb/stb_image.h>

#include <cstdint>
#include <string>
#include <vector>

#include <pelmora/engine/Image.h>
#include <pelmora/storage/FileStream.h>
#include <pelmora/storage/Streams.h>

#include "PmRunSupport.h"

namespace PM::Test {

// An RGB picture, rows from the top.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int x, int y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
  // Whether (x, y) is the view's clear colour (0.2, 0.2, 0.252), within a JPEG's error.
  bool Background(int x, int y) const {
    const uint8_t* p = At(x, y);
    return std::abs(p[0] - 51) < 12 && std::abs(p[1] - 51) < 12 && std::abs(p[2] - 64) < 12;
  }
};

// A .bmg through the library's reader, anything else through stb's; empty when it cannot be read.
inline Picture ReadPicture(const std::string& path) {
  Picture p;
  if (path.size() > 4 && path.compare(path.size() - 4, 4, ".bmg") == 0) {
    Obj<Image_I> image(Image_I::New());
    StreamPipeRef in(OpenFileStream(path.c_str(), kModeRead));
    if (in.IsNull() || image->ImportFileFromStream(String(path.c_str()), in.Get()) != SOK ||
        image->GetBytesPerPixel() < 3)
      return p;
    p.width = image->GetWidth();
    p.height = image->GetHeight();
    const int bpp = image->GetBytesPerPixel();
    for (int y = p.height - 1; y >= 0; --y)  // the image's rows run from the bottom
      for (int x = 0; x < p.width; ++x)
        for (int c = 0; c < 3; ++c)
          p.rgb.push_back(image->GetData()[size_t(y) * image->RowBytes() + size_t(x * bpp + c)]);
    return p;
  }
  int channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &p.width, &p.height, &channels, 3);
  if (!data) return {};
  p.rgb.assign(data, data + size_t(p.width) * size_t(p.height) * 3);
  stbi_image_free(data);
  return p;
}

// A flat rectangle facing +Z from (x0, y0) to (x1, y1) as an OBJ file.
inline void WriteQuad(const std::string& path, float x0, float y0, float x1, float y1) {
  const auto v = [](float x, float y) { return "v " + std::to_string(x) + " " + std::to_string(y) + " 0\n"; };
  WriteFile(path, v(x0, y0) + v(x1, y0) + v(x1, y1) + v(x0, y1) + "f 1 2 3 4\n");
}

// pm-run without an X display: its frames draw off-screen.
inline HostRun PmRunHeadless(const TempDir& dir, const std::string& args) { return PmRun(dir, args, "DISPLAY="); }

}  // namespace PM::Test
