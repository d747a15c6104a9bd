// JPEG 2000 files (JP2 boxes or a bare codestream) through OpenJPEG, read from the engine's streams.
#include <openjpeg.h>

#include <algorithm>
#include <cstring>

#include "core/Log.h"
#include "engine/Image.h"
#include "engine/ImageFileIO.h"

namespace PM {

namespace {

constexpr uint8_t kJP2Signature[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
constexpr uint8_t kCodestreamStart[4] = {0xFF, 0x4F, 0xFF, 0x51};  // SOC, then SIZ

// The pipe and where the JPEG 2000 data begins in it (OpenJPEG seeks relative to that start).
struct PipeSource {
  StreamPipe* pipe;
  int64_t start;
};

OPJ_SIZE_T OnRead(void* buffer, OPJ_SIZE_T n, void* user) {
  int64_t got = static_cast<PipeSource*>(user)->pipe->Read(buffer, int64_t(n));
  return got > 0 ? OPJ_SIZE_T(got) : OPJ_SIZE_T(-1);
}

OPJ_OFF_T OnSkip(OPJ_OFF_T n, void* user) {
  StreamPipe* pipe = static_cast<PipeSource*>(user)->pipe;
  int64_t before = pipe->Seek(0, kSeekCurrent);
  int64_t after = before < 0 ? -1 : pipe->Seek(n, kSeekCurrent);
  return after < 0 ? OPJ_OFF_T(-1) : OPJ_OFF_T(after - before);
}

OPJ_BOOL OnSeek(OPJ_OFF_T at, void* user) {
  auto* s = static_cast<PipeSource*>(user);
  return s->pipe->Seek(s->start + at, kSeekStart) >= 0 ? OPJ_TRUE : OPJ_FALSE;
}

void Quiet(const char*, void*) {}

// The codec that the first bytes ask for, or -1.
int CodecOf(StreamPipe* pipe) {
  uint8_t head[12];
  for (int i = 0; i < 12; ++i) {
    int b = pipe->PeekByteAt(i);
    head[i] = uint8_t(b < 0 ? 0 : b);
  }
  if (std::memcmp(head, kJP2Signature, 12) == 0) return OPJ_CODEC_JP2;
  if (std::memcmp(head, kCodestreamStart, 4) == 0) return OPJ_CODEC_J2K;
  return -1;
}

// Owns what one decode creates; everything goes on every path.
struct Decode {
  opj_codec_t* codec = nullptr;
  opj_stream_t* stream = nullptr;
  opj_image_t* image = nullptr;
  ~Decode() {
    if (image) opj_image_destroy(image);
    if (stream) opj_stream_destroy(stream);
    if (codec) opj_destroy_codec(codec);
  }
};

// A sample as an 8-bit channel: unsigned data of up to 8 bits keeps its low byte; wider or signed data is
// brought to 0..2^prec - 1 and scaled to 8 bits, so 12- and 16-bit files keep their high bits.
struct SampleScale {
  int64_t offset, max;
  int shiftRight, shiftLeft;
  bool keepLowByte;
  explicit SampleScale(const opj_image_comp_t& c) {
    int prec = int(std::clamp<OPJ_UINT32>(c.prec, 1, 31));
    keepLowByte = !c.sgnd && prec <= 8;
    offset = c.sgnd ? int64_t(1) << (prec - 1) : 0;
    max = (int64_t(1) << prec) - 1;
    shiftRight = prec > 8 ? prec - 8 : 0;
    shiftLeft = prec < 8 ? 8 - prec : 0;
  }
  uint8_t operator()(int32_t v) const {
    if (keepLowByte) return uint8_t(v);
    int64_t u = std::clamp<int64_t>(int64_t(v) + offset, 0, max);
    return uint8_t((u >> shiftRight) << shiftLeft);
  }
};

bool ReadJP2(Image_I& target, const String& name, StreamPipe* pipe) {
  // Each failure names its cause and the file, once.
  auto fail = [&](const auto&... why) {
    Log(LogOutPipe(), kLevelError, why..., " in ", QuotedName{name}, ".");
    return false;
  };
  int codecType = CodecOf(pipe);
  if (codecType < 0) return fail("ImportFileJP2: input image has unknown format");
  Decode d;
  PipeSource source{pipe, pipe->Seek(0, kSeekCurrent)};
  if (source.start < 0) source.start = 0;
  d.codec = opj_create_decompress(OPJ_CODEC_FORMAT(codecType));
  if (!d.codec) return fail("ImportFileJP2: cannot load image data");
  opj_set_info_handler(d.codec, Quiet, nullptr);
  opj_set_warning_handler(d.codec, Quiet, nullptr);
  opj_set_error_handler(d.codec, Quiet, nullptr);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  // Strict: a truncated file fails instead of decoding to a partly empty image.
  if (!opj_setup_decoder(d.codec, &parameters) || !opj_decoder_set_strict_mode(d.codec, OPJ_TRUE)) {
    return fail("ImportFileJP2: cannot load image data");
  }
  d.stream = opj_stream_create(8192, OPJ_TRUE);
  if (!d.stream) return fail("ImportFileJP2: cannot load image data");
  opj_stream_set_user_data(d.stream, &source, nullptr);  // the caller owns the pipe: nothing to close
  int64_t length = pipe->GetFileLength();
  if (length > source.start) opj_stream_set_user_data_length(d.stream, OPJ_UINT64(length - source.start));
  opj_stream_set_read_function(d.stream, OnRead);
  opj_stream_set_skip_function(d.stream, OnSkip);
  opj_stream_set_seek_function(d.stream, OnSeek);
  if (!opj_read_header(d.stream, d.codec, &d.image)) return fail("ImportFileJP2: cannot load image data");
  // The sides come from the header: larger ones are refused before any sample memory exists.
  int64_t width = int64_t(d.image->x1) - d.image->x0, height = int64_t(d.image->y1) - d.image->y0;
  if (width <= 0 || height <= 0 || width > kImageMaxSide || height > kImageMaxSide) {
    return fail("ImportFileJP2: image of ", width, " x ", height, " pixels exceeds the limit of ",
                int32_t(kImageMaxSide));
  }
  int channels = int(d.image->numcomps);
  if (channels < 1 || channels > 4) {
    return fail("ImportFileJP2: ", channels, " components are not supported");
  }
  if (!opj_decode(d.codec, d.stream, d.image) || !opj_end_decompress(d.codec, d.stream)) {
    return fail("ImportFileJP2: cannot load image data");
  }
  target.Create(channels, int(width), int(height), 0);
  if (target.GetFormat() != channels) return false;
  for (int c = 0; c < channels; ++c) {
    const opj_image_comp_t& comp = d.image->comps[c];
    // A subsampled component is smaller than the image: it has no sample for every pixel.
    if (!comp.data || int64_t(comp.w) < width || int64_t(comp.h) < height) return fail("jas_image_readcmpt failed");
  }
  uint8_t* data = target.GetData();
  for (int c = 0; c < channels; ++c) {
    const opj_image_comp_t& comp = d.image->comps[c];
    SampleScale scale(comp);
    for (int64_t y = 0; y < height; ++y) {
      const OPJ_INT32* in = comp.data + y * comp.w;
      uint8_t* out = data + size_t(height - 1 - y) * target.RowBytes() + c;
      for (int64_t x = 0; x < width; ++x, out += channels) *out = scale(in[x]);
    }
  }
  return true;
}

}  // namespace

ResultCode ImportFileJP2(Image_I& image, const String& name, StreamPipe* pipe) {
  if (!pipe || pipe->PeekByte() < 0) return EFail;
  if (ReadJP2(image, name, pipe)) return SOK;
  image.m.Clear();  // a failure after the pixels were made leaves no half image behind
  return EFail;
}

}  // namespace PM
