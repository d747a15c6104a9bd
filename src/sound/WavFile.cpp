#include "sound/WavFile.h"

#include <cstring>

#include "core/Log.h"
#include "platform/InertText.h"
#include "storage/Storage.h"

namespace PM {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr int kMaxChunks = 4096;                     // a file of more chunks is refused, not walked
constexpr int64_t kMaxFileBytes = int64_t(1) << 30;  // what Load reads at most

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool ParseFormat(const uint8_t* p, uint32_t size, WavData& out, std::string& why) {
  if (size < 16) return why = "format chunk too short", false;
  uint16_t tag = U16(p);
  if (tag == kFormatExtensible) {
    // The sub-format GUID begins with the plain format tag.
    if (size < 40) return why = "extensible format chunk too short", false;
    tag = U16(p + 24);
  }
  if (tag != kFormatPcm) return why = "not PCM", false;
  out.channels = U16(p + 2);
  out.sampleRate = U32(p + 4);
  out.bitsPerSample = U16(p + 14);
  if (out.channels != 1 && out.channels != 2) return why = "unsupported channel count", false;
  if (out.bitsPerSample != 8 && out.bitsPerSample != 16) return why = "unsupported sample size", false;
  if (out.sampleRate == 0) return why = "sample rate 0", false;
  return true;
}

}  // namespace

bool WavFile::Parse(const uint8_t* bytes, size_t size, WavData& out, std::string& why) {
  out = WavData();
  if (bytes == nullptr || size < 12 || memcmp(bytes, "RIFF", 4) != 0 || memcmp(bytes + 8, "WAVE", 4) != 0) {
    return why = "not a RIFF WAVE file", false;
  }
  bool haveFormat = false;
  size_t at = 12;
  for (int chunk = 0; at + 8 <= size; ++chunk) {
    if (chunk == kMaxChunks) return why = "too many chunks", false;
    const uint8_t* head = bytes + at;
    uint32_t length = U32(head + 4);
    size_t body = at + 8;
    size_t left = size - body;
    if (memcmp(head, "fmt ", 4) == 0) {
      if (length > left) return why = "format chunk cut short", false;
      if (!ParseFormat(bytes + body, length, out, why)) return false;
      haveFormat = true;
    } else if (memcmp(head, "data", 4) == 0) {
      if (!haveFormat) return why = "data before format", false;
      // A writer that could not seek back leaves the length open: take what is there.
      size_t n = length > left ? left : length;
      n -= n % out.FrameBytes();
      out.samples.assign(bytes + body, bytes + body + n);
      return true;
    }
    if (length > left) break;
    at = body + length + (length & 1);
  }
  return why = haveFormat ? "no data chunk" : "no format chunk", false;
}

bool WavFile::Load(const String& path, WavData& out) {
  String found;
  StreamPipeRef stream(Storage::OpenStream(path, Storage::kRead, found));
  if (stream.IsNull()) {
    LogError("WavFile::Load: cannot open \"", InertText(path.View()).c_str(), "\".");
    return false;
  }
  int64_t length = stream->GetFileLength();
  if (length < 0 || length > kMaxFileBytes) {
    LogError("WavFile::Load: \"", InertText(path.View()).c_str(), "\" has no usable length.");
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  int64_t got = 0;
  while (got < length) {
    int64_t n = stream->Read(bytes.data() + got, length - got);
    if (n <= 0) break;
    got += n;
  }
  bytes.resize(size_t(got));
  std::string why;
  if (!Parse(bytes.data(), bytes.size(), out, why)) {
    LogError("WavFile::Load: \"", InertText(path.View()).c_str(), "\": ", why.c_str(), ".");
    return false;
  }
  return true;
}

}  // namespace PM
