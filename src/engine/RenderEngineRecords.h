// The records the render engines exchange with the render pipe, the channel-effect node and the
// drawing code: window format, texture settings, frame statistics, shader-pass state, channel effects.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/String.h"

namespace PM {

// The window and buffer format the render pipe asks an engine for when it opens its window.
struct RenderFormatInfo {
  int32_t Fullscreen = 0;
  int32_t Width = 640;
  int32_t Height = 480;
  float RefreshRate = 60.0f;
  float SwapRateLimit = 120.0f;  // presents per second
  int32_t SwapInterval = 0;
  int32_t ColorBits = 16;
  int32_t AlphaBits = 0;
  int32_t DepthBits = 16;
  int32_t StencilBits = 0;
  int32_t Reserved = 0;  // copied with the record, never read
  int32_t BufferBackColorCount = 1;
  int32_t BufferBackgroundColorCount = 0;
  int32_t BufferBackgroundDepthStencilCount = 0;
  bool BufferFrontColorAccessEnable = false;
  bool BufferBackColorAccessEnable = false;
  bool BufferBackDepthStencilAccessEnable = false;
};

// How textures are loaded and downloaded; the render pipe hands the whole record on whenever a part changes.
struct TextureSettingsInfo {
  int32_t EnableTexture = 1;
  int32_t EnableTextureThread = 1;
  float TextureLoadTimeLimit = -1.0f;  // seconds per frame; negative: no limit
  int32_t MaxTextureUnit = 2;
  int32_t MaxTextureSizeShift = 0;
  int32_t TextureSizeCap = 0x10000;  // width and height of every downloaded texture are capped at it
  String ImagePath = "Images/";
  String RegistryBasePath;  // non-empty: where the OpenGL switches are read instead of the default key
};

// One engine's frame-rate statistics: a ring of recent samples and the figures computed from it.
struct FrameStatistics {
  static constexpr int kSampleCount = 100;
  // Values: the last clock reading (ticks), the minimum, maximum and mean rate, one unused.
  static constexpr int kMeanFrameRate = 3;  // index into Values

  int32_t DisplayMode = 0;  // which overlay SwapBuffers draws
  int32_t Reserved = 0;
  int32_t Counts[2] = {0, 0};
  double Values[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
  int32_t SampleCount = kSampleCount;
  int32_t Samples[kSampleCount] = {};  // 100 x the frame rate of one frame each
  int32_t RingIndex = 0;
};

// What the pass being set up needs of the drawing code: sixteen words, cleared at the start of every
// pass set-up. The vertex-stream words hold a usage kind in the high half and a slot in the low half.
struct ShaderPassState {
  static constexpr int kWordCount = 16;
  static constexpr int kColorStream = 2;      // per-vertex colours
  static constexpr int kTexCoordStream0 = 8;  // first texture coordinates
  static constexpr int kTexCoordStream1 = 9;  // second stream

  uint32_t Words[kWordCount] = {};

  void Clear() { std::memset(Words, 0, sizeof(Words)); }
};

// The settings of the post-frame effects a channel-effect node asks for.
struct ChannelFXInfo {
  bool EnableBloom = false;
  bool EnableDOF = false;
  bool EnableColorFilter = false;
  int32_t BloomBlurCount = 4;
  float FocusDistance = 0.25f;
  int32_t ColorFilterMode = 0;
};

// Records without pointers keep their 32-bit layout.
static_assert(sizeof(RenderFormatInfo) == 60);
static_assert(sizeof(FrameStatistics) == 464);
static_assert(sizeof(ShaderPassState) == 64);
static_assert(sizeof(ChannelFXInfo) == 16);

}  // namespace PM
