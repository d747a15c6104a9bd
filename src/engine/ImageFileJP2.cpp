// JPEG 2000 files (JP2 boxes or a bare codestream) through OpenJPEG, read from the engine's streams.
#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

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

// What the headers declare the decode will cost; OpenJPEG has only read the main header so far.
struct DeclaredWork {
  int64_t tiles = 0, codeBlocks = 0, packets = 0, blockLayers = 0, layers = 0;
};

int64_t CeilShift(int64_t v, uint32_t e) { return (v + (int64_t(1) << e) - 1) >> e; }

// A coding style as COD and COC segments give it: layers, and per component the resolutions, code-block and
// precinct size exponents. Read by us: OpenJPEG's codestream info copies precinct sizes only in part and
// knows nothing of tile-part headers until it decodes.
struct CodingStyle {
  int layers = 1;
  uint8_t resolutions[4] = {6, 6, 6, 6}, blockW[4] = {6, 6, 6, 6}, blockH[4] = {6, 6, 6, 6};
  uint8_t px[4][OPJ_J2K_MAXRLVLS], py[4][OPJ_J2K_MAXRLVLS];
  CodingStyle() {
    std::memset(px, 15, sizeof px);
    std::memset(py, 15, sizeof py);
  }
};

// Applies one COD (0xFF52) or COC (0xFF53) segment, `seg` holding its `n` bytes after the length field.
// COD: Scod, progression, layers (2), MCT, SPcod; COC: Ccoc (1 or 2 bytes), Scoc, SPcoc. SPcod and SPcoc:
// levels, code-block width and height (exponent - 2), style, transform, then with bit 0 of the style one
// precinct byte per resolution.
void ApplyCodingSegment(int type, const uint8_t* seg, int64_t n, int components, CodingStyle* style) {
  auto at = [&](int64_t i) { return i < n ? seg[i] : uint8_t(0); };
  int64_t p = 0;
  int first = 0, last = components;
  if (type == 0xFF53) {
    first = components < 257 ? at(0) : (at(0) << 8 | at(1));
    p = components < 257 ? 1 : 2;
    last = first + 1;
  }
  const uint8_t flags = at(p);
  if (type == 0xFF52) {
    style->layers = at(p + 2) << 8 | at(p + 3);
    p += 5;
  } else {
    p += 1;
  }
  const int resolutions = std::min<int>(at(p) + 1, OPJ_J2K_MAXRLVLS);
  for (int c = first; c < last && c < 4; ++c) {
    style->resolutions[c] = uint8_t(resolutions);
    style->blockW[c] = uint8_t(std::min(at(p + 1) + 2, 12));
    style->blockH[c] = uint8_t(std::min(at(p + 2) + 2, 12));
    for (int r = 0; r < resolutions; ++r) {
      const bool given = (flags & 1) && p + 5 + r < n;
      style->px[c][r] = given ? at(p + 5 + r) & 15 : 15;
      style->py[c][r] = given ? at(p + 5 + r) >> 4 : 15;
    }
  }
}

// The codestream's offset in the pipe: at `start` for a bare codestream, else the data of the first
// "jp2c" box (at most kMaxBoxes boxes before it); negative when there is none.
int64_t CodestreamOffset(StreamPipe* pipe, int64_t start, int codecType) {
  if (codecType == OPJ_CODEC_J2K) return start;
  constexpr int kMaxBoxes = 64;
  int64_t at = start;
  for (int i = 0; i < kMaxBoxes; ++i) {
    uint8_t h[16];
    if (pipe->Seek(at, kSeekStart) < 0 || !ReadFully(pipe, h, 8)) return -1;
    uint64_t length = uint64_t(h[0]) << 24 | uint64_t(h[1]) << 16 | uint64_t(h[2]) << 8 | h[3];
    int64_t header = 8;
    if (length == 1) {
      if (!ReadFully(pipe, h + 8, 8)) return -1;
      length = 0;
      for (int k = 8; k < 16; ++k) length = length << 8 | h[k];
      header = 16;
    }
    if (std::memcmp(h + 4, "jp2c", 4) == 0) return at + header;
    if (length < uint64_t(header) || length > (uint64_t(1) << 40)) return -1;
    at += int64_t(length);
  }
  return -1;
}

// Reads the coding styles of the main header (`main`) and of each tile's tile-part headers (`tiles`, one
// per tile, starting as the main one), walking the tile-parts by their lengths; the pipe is left where it
// was. At most kMaxSegments marker segments in all: more is no image this reader takes. False when the
// headers cannot be walked.
constexpr int kMaxSegments = 1 << 16;
bool ReadCodingStyles(StreamPipe* pipe, int64_t start, int codecType, int components, CodingStyle* main,
                      std::vector<CodingStyle>* tiles, bool* tooMany) {
  const int64_t back = pipe->Seek(0, kSeekCurrent);
  int64_t at = back < 0 ? -1 : CodestreamOffset(pipe, start, codecType);
  bool ok = at >= 0, inTile = false;
  int64_t tilePartEnd = -1;
  CodingStyle* style = main;
  at += 2;  // SOC
  int segments = 0;
  for (; ok && segments < kMaxSegments; ++segments) {
    uint8_t seg[4 + 2 + 1 + 4 + 5 + OPJ_J2K_MAXRLVLS] = {};
    ok = pipe->Seek(at, kSeekStart) >= 0 && ReadFully(pipe, seg, 2) && seg[0] == 0xFF;
    const int type = 0xFF00 | (ok ? seg[1] : 0);
    if (!ok || type == 0xFFD9) break;  // EOC
    if (type == 0xFF93) {              // SOD: the tile-part's data, up to the next tile-part
      if (tilePartEnd <= at) break;    // the last tile-part (a length of 0) or a damaged one
      at = tilePartEnd;
      inTile = false;
      continue;
    }
    ok = ReadFully(pipe, seg + 2, 2);
    const int64_t length = int64_t(seg[2]) << 8 | seg[3];
    ok = ok && length >= 2;
    const int64_t n = std::min<int64_t>(length - 2, int64_t(sizeof seg) - 4);
    if (ok && n > 0) ok = ReadFully(pipe, seg + 4, n);
    if (!ok) break;
    if (type == 0xFF90) {  // SOT: Isot (2), Psot (4), TPsot, TNsot
      const size_t tile = size_t(seg[4] << 8 | seg[5]);
      const int64_t psot = int64_t(seg[6]) << 24 | int64_t(seg[7]) << 16 | int64_t(seg[8]) << 8 | seg[9];
      if (tile >= tiles->size()) break;  // OpenJPEG refuses it
      if (!inTile && style == main) {
        for (CodingStyle& t : *tiles) t = *main;  // the main header is over: every tile starts from it
      }
      style = &(*tiles)[tile];
      tilePartEnd = psot == 0 ? -1 : at + psot;
      inTile = true;
    } else if (type == 0xFF52 || type == 0xFF53) {
      ApplyCodingSegment(type, seg + 4, n, components, style);
    }
    at += 2 + length;
  }
  if (style == main) {
    for (CodingStyle& t : *tiles) t = *main;
  }
  *tooMany = segments >= kMaxSegments;
  return pipe->Seek(back, kSeekStart) >= 0 && back >= 0 && ok && !*tooMany;
}

// Counts tiles, code blocks and packets tile by tile, component by component, resolution by resolution, as
// the decoder will lay them out (code blocks per subband approximated by the resolution's area). Counting
// stops at the first total past its budget, so a hostile header costs at most the tiles budget's steps.
DeclaredWork WorkOf(const opj_image_t& image, const opj_codestream_info_v2_t& info,
                    const std::vector<CodingStyle>& styles) {
  DeclaredWork w;
  for (int64_t tile = 0; tile < int64_t(styles.size()); ++tile) {
    const CodingStyle& style = styles[size_t(tile)];
    const int64_t layers = std::max(style.layers, 1);
    w.layers = std::max(w.layers, layers);
    int64_t tx = tile % info.tw, ty = tile / info.tw;
    int64_t x0 = std::max<int64_t>(info.tx0 + tx * info.tdx, image.x0);
    int64_t y0 = std::max<int64_t>(info.ty0 + ty * info.tdy, image.y0);
    int64_t x1 = std::min<int64_t>(info.tx0 + (tx + 1) * info.tdx, image.x1);
    int64_t y1 = std::min<int64_t>(info.ty0 + (ty + 1) * info.tdy, image.y1);
    for (uint32_t c = 0; c < image.numcomps && c < 4; ++c) {
      int64_t dx = std::max<OPJ_UINT32>(image.comps[c].dx, 1), dy = std::max<OPJ_UINT32>(image.comps[c].dy, 1);
      int64_t cx0 = (x0 + dx - 1) / dx, cy0 = (y0 + dy - 1) / dy, cx1 = (x1 + dx - 1) / dx, cy1 = (y1 + dy - 1) / dy;
      const uint32_t levels = style.resolutions[c];
      for (uint32_t r = 0; r < levels; ++r) {
        uint32_t down = levels - 1 - r;
        int64_t rx0 = CeilShift(cx0, down), ry0 = CeilShift(cy0, down);
        int64_t rx1 = CeilShift(cx1, down), ry1 = CeilShift(cy1, down);
        if (rx1 <= rx0 || ry1 <= ry0) continue;
        uint32_t px = style.px[c][r], py = style.py[c][r];
        int64_t precincts = (CeilShift(rx1, px) - (rx0 >> px)) * (CeilShift(ry1, py) - (ry0 >> py));
        // Above the lowest resolution a precinct's code blocks sit in subbands of half its size.
        uint32_t bx = std::min<uint32_t>(style.blockW[c], r == 0 ? px : std::max<uint32_t>(px, 1) - 1);
        uint32_t by = std::min<uint32_t>(style.blockH[c], r == 0 ? py : std::max<uint32_t>(py, 1) - 1);
        int64_t blocks = r == 0 ? CeilShift(rx1 - rx0, bx) * CeilShift(ry1 - ry0, by)
                                : 3 * CeilShift(CeilShift(rx1 - rx0, 1), bx) * CeilShift(CeilShift(ry1 - ry0, 1), by);
        w.codeBlocks += std::max(blocks, precincts);
        w.packets += precincts * layers;
        w.blockLayers += std::max(blocks, precincts) * layers;
        if (w.codeBlocks > ImageBudget::kMaxCodeBlocks || w.packets > ImageBudget::kMaxPackets ||
            w.blockLayers > ImageBudget::kMaxBlockLayers)
          return w;
      }
    }
  }
  return w;
}

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
  // The declared work is weighed before OpenJPEG makes a tile: a header of a few bytes can ask for gigabytes
  // and minutes.
  if (width * height * channels > ImageBudget::kMaxBytes) {
    return fail("ImportFileJP2: ", width, " x ", height, " x ", channels, " samples exceed the image budget of ",
                ImageBudget::kMaxBytes);
  }
  opj_codestream_info_v2_t* info = opj_get_cstr_info(d.codec);
  const int64_t tiles = info ? int64_t(info->tw) * info->th : 0;
  if (!info || info->tdx == 0 || info->tdy == 0 || tiles < 1) {
    if (info) opj_destroy_cstr_info(&info);
    return fail("ImportFileJP2: cannot load image data");
  }
  DeclaredWork work;
  work.tiles = tiles;
  if (tiles <= ImageBudget::kMaxTiles) {
    CodingStyle mainStyle;
    std::vector<CodingStyle> styles(static_cast<size_t>(tiles));
    bool tooMany = false;
    if (!ReadCodingStyles(pipe, source.start, codecType, channels, &mainStyle, &styles, &tooMany)) {
      opj_destroy_cstr_info(&info);
      if (tooMany) return fail("ImportFileJP2: more than ", kMaxSegments, " marker segments in the headers");
      return fail("ImportFileJP2: cannot load image data");
    }
    work = WorkOf(*d.image, *info, styles);
    work.tiles = tiles;
  }
  opj_destroy_cstr_info(&info);
  struct {
    const char* what;
    int64_t count, limit;
  } const checks[] = {{"tiles", work.tiles, ImageBudget::kMaxTiles},
                      {"code blocks", work.codeBlocks, ImageBudget::kMaxCodeBlocks},
                      {"packets", work.packets, ImageBudget::kMaxPackets},
                      {"code blocks x layers", work.blockLayers, ImageBudget::kMaxBlockLayers}};
  for (const auto& c : checks) {
    if (c.count > c.limit) {
      const std::string layers = work.layers > 0 ? ", " + std::to_string(work.layers) + " layers" : "";
      return fail("ImportFileJP2: ", c.what, " (at least ", c.count, layers.c_str(), ") exceed the image budget of ",
                  c.limit);
    }
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
