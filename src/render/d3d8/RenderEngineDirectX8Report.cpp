// The Direct3D 8 device's capabilities written to the log, one line per field. Flag fields list names
// only where they tell something: an expected capability when it is missing ("!"), a rare one when it is
// present ("+"), so an ordinary device's lines stay short.
#include <cstring>

#include "core/Log.h"
#include "render/d3d8/D3D8CapsReport.h"
#include "render/d3d8/D3D8FormatNames.h"

namespace PM {

namespace {

struct CapsFlag {
  char prefix;  // '+': written when set; '!': written when clear
  const char* name;
  uint32_t bit;
};

constexpr CapsFlag kCaps[] = {{'!', "D3DCAPS_READ_SCANLINE", 0x20000}};
constexpr CapsFlag kCaps2[] = {
    {'+', "D3DCAPS2_NO2DDURING3DSCENE", 0x2},        {'!', "D3DCAPS2_FULLSCREENGAMMA", 0x20000},
    {'!', "D3DCAPS2_CANRENDERWINDOWED", 0x80000},    {'+', "D3DCAPS2_CANCALIBRATEGAMMA", 0x100000},
    {'+', "D3DCAPS2_CANMANAGERESOURCE", 0x10000000}, {'!', "D3DCAPS2_DYNAMICTEXTURES", 0x20000000}};
constexpr CapsFlag kDevCaps[] = {
    {'!', "D3DDEVCAPS_EXECUTESYSTEMMEMORY", 0x10},       {'!', "D3DDEVCAPS_EXECUTEVIDEOMEMORY", 0x20},
    {'!', "D3DDEVCAPS_TLVERTEXSYSTEMMEMORY", 0x40},      {'!', "D3DDEVCAPS_TLVERTEXVIDEOMEMORY", 0x80},
    {'+', "D3DDEVCAPS_TEXTURESYSTEMMEMORY", 0x100},      {'!', "D3DDEVCAPS_TEXTUREVIDEOMEMORY", 0x200},
    {'!', "D3DDEVCAPS_DRAWPRIMTLVERTEX", 0x400},         {'!', "D3DDEVCAPS_CANRENDERAFTERFLIP", 0x800},
    {'!', "D3DDEVCAPS_TEXTURENONLOCALVIDMEM)", 0x1000},  {'!', "D3DDEVCAPS_DRAWPRIMITIVES2)", 0x2000},
    {'+', "D3DDEVCAPS_SEPARATETEXTUREMEMORIES", 0x4000}, {'!', "D3DDEVCAPS_DRAWPRIMITIVES2EX", 0x8000},
    {'!', "D3DDEVCAPS_HWTRANSFORMANDLIGHT", 0x10000},    {'!', "D3DDEVCAPS_CANBLTSYSTONONLOCAL", 0x20000},
    {'!', "D3DDEVCAPS_HWRASTERIZATION", 0x80000},        {'!', "D3DDEVCAPS_PUREDEVICE", 0x100000},
    {'+', "D3DDEVCAPS_QUINTICRTPATCHES", 0x200000},      {'+', "D3DDEVCAPS_RTPATCHES", 0x400000},
    {'+', "D3DDEVCAPS_RTPATCHHANDLEZERO", 0x800000},     {'+', "D3DDEVCAPS_NPATCHES", 0x1000000}};
constexpr CapsFlag kPrimitiveMiscCaps[] = {{'!', "D3DPMISCCAPS_MASKZ", 0x2},
                                           {'+', "D3DPMISCCAPS_LINEPATTERNREP", 0x4},
                                           {'!', "D3DPMISCCAPS_CULLNONE", 0x10},
                                           {'!', "D3DPMISCCAPS_CULLCW", 0x20},
                                           {'!', "D3DPMISCCAPS_CULLCCW", 0x40},
                                           {'!', "D3DPMISCCAPS_COLORWRITEENABLE", 0x80},
                                           {'+', "D3DPMISCCAPS_CLIPPLANESCALEDPOINTS", 0x100},
                                           {'!', "D3DPMISCCAPS_CLIPTLVERTS", 0x200},
                                           {'!', "D3DPMISCCAPS_TSSARGTEMP", 0x400},
                                           {'!', "D3DPMISCCAPS_BLENDOP", 0x800},
                                           {'!', "D3DPMISCCAPS_NULLREFERENCE", 0x1000}};
constexpr CapsFlag kLineCaps[] = {{'!', "D3DLINECAPS_TEXTURE", 0x1},
                                  {'!', "D3DLINECAPS_ZTEST", 0x2},
                                  {'!', "D3DLINECAPS_BLEND", 0x4},
                                  {'!', "D3DLINECAPS_ALPHACMP", 0x8},
                                  {'!', "D3DLINECAPS_FOG", 0x10}};
constexpr CapsFlag kRasterCaps[] = {{'!', "D3DPRASTERCAPS_DITHER", 0x1},
                                    {'+', "D3DPRASTERCAPS_PAT", 0x8},
                                    {'!', "D3DPRASTERCAPS_ZTEST", 0x10},
                                    {'!', "D3DPRASTERCAPS_FOGVERTEX", 0x80},
                                    {'!', "D3DPRASTERCAPS_FOGTABLE", 0x100},
                                    {'!', "D3DPRASTERCAPS_ANTIALIASEDGES", 0x1000},
                                    {'!', "D3DPRASTERCAPS_MIPMAPLODBIAS", 0x2000},
                                    {'!', "D3DPRASTERCAPS_ZBIAS", 0x4000},
                                    {'+', "D3DPRASTERCAPS_ZBUFFERLESSHSR", 0x8000},
                                    {'!', "D3DPRASTERCAPS_FOGRANGE", 0x10000},
                                    {'!', "D3DPRASTERCAPS_ANISOTROPY", 0x20000},
                                    {'!', "D3DPRASTERCAPS_WBUFFER", 0x40000},
                                    {'!', "D3DPRASTERCAPS_WFOG", 0x100000},
                                    {'!', "D3DPRASTERCAPS_ZFOG", 0x200000},
                                    {'!', "D3DPRASTERCAPS_COLORPERSPECTIVE", 0x400000},
                                    {'!', "D3DPRASTERCAPS_STRETCHBLTMULTISAMPLE", 0x800000}};
constexpr CapsFlag kCompareCaps[] = {{'!', "D3DPCMPCAPS_NEVER", 0x1},         {'!', "D3DPCMPCAPS_LESS", 0x2},
                                     {'!', "D3DPCMPCAPS_EQUAL", 0x4},         {'!', "D3DPCMPCAPS_LESSEQUAL", 0x8},
                                     {'!', "D3DPCMPCAPS_GREATER", 0x10},      {'!', "D3DPCMPCAPS_NOTEQUAL", 0x20},
                                     {'!', "D3DPCMPCAPS_GREATEREQUAL", 0x40}, {'!', "D3DPCMPCAPS_ALWAYS", 0x80}};
constexpr CapsFlag kBlendCaps[] = {{'!', "D3DPBLENDCAPS_ZERO", 0x1},
                                   {'!', "D3DPBLENDCAPS_ONE", 0x2},
                                   {'!', "D3DPBLENDCAPS_SRCCOLOR", 0x4},
                                   {'!', "D3DPBLENDCAPS_INVSRCCOLOR", 0x8},
                                   {'!', "D3DPBLENDCAPS_SRCALPHA", 0x10},
                                   {'!', "D3DPBLENDCAPS_INVSRCALPHA", 0x20},
                                   {'!', "D3DPBLENDCAPS_DESTALPHA", 0x40},
                                   {'!', "D3DPBLENDCAPS_INVDESTALPHA", 0x80},
                                   {'!', "D3DPBLENDCAPS_DESTCOLOR", 0x100},
                                   {'!', "D3DPBLENDCAPS_INVDESTCOLOR", 0x200},
                                   {'!', "D3DPBLENDCAPS_SRCALPHASAT", 0x400},
                                   {'!', "D3DPBLENDCAPS_BOTHSRCALPHA", 0x800},
                                   {'!', "D3DPBLENDCAPS_BOTHINVSRCALPHA", 0x1000}};
constexpr CapsFlag kShadeCaps[] = {{'!', "D3DPSHADECAPS_COLORGOURAUDRGB", 0x8},
                                   {'!', "D3DPSHADECAPS_SPECULARGOURAUDRGB", 0x200},
                                   {'!', "D3DPSHADECAPS_ALPHAGOURAUDBLEND", 0x4000},
                                   {'!', "D3DPSHADECAPS_FOGGOURAUD", 0x80000}};
constexpr CapsFlag kTextureCaps[] = {{'!', "D3DPTEXTURECAPS_PERSPECTIVE", 0x1},
                                     {'!', "D3DPTEXTURECAPS_POW2", 0x2},
                                     {'!', "D3DPTEXTURECAPS_ALPHA", 0x4},
                                     {'+', "D3DPTEXTURECAPS_SQUAREONLY", 0x20},
                                     {'!', "D3DPTEXTURECAPS_TEXREPEATNOTSCALEDBYSIZE", 0x40},
                                     {'!', "D3DPTEXTURECAPS_ALPHAPALETTE", 0x80},
                                     {'!', "D3DPTEXTURECAPS_NONPOW2CONDITIONAL", 0x100},
                                     {'!', "D3DPTEXTURECAPS_PROJECTED", 0x400},
                                     {'!', "D3DPTEXTURECAPS_CUBEMAP", 0x800},
                                     {'!', "D3DPTEXTURECAPS_VOLUMEMAP", 0x2000},
                                     {'!', "D3DPTEXTURECAPS_MIPMAP", 0x4000},
                                     {'!', "D3DPTEXTURECAPS_MIPVOLUMEMAP", 0x8000},
                                     {'!', "D3DPTEXTURECAPS_MIPCUBEMAP", 0x10000},
                                     {'!', "D3DPTEXTURECAPS_CUBEMAP_POW2", 0x20000},
                                     {'!', "D3DPTEXTURECAPS_VOLUMEMAP_POW2", 0x40000}};
constexpr CapsFlag kFilterCaps[] = {
    {'!', "D3DPTFILTERCAPS_MINFPOINT", 0x100},          {'!', "D3DPTFILTERCAPS_MINFLINEAR", 0x200},
    {'!', "D3DPTFILTERCAPS_MINFANISOTROPIC", 0x400},    {'!', "D3DPTFILTERCAPS_MIPFPOINT", 0x10000},
    {'!', "D3DPTFILTERCAPS_MIPFLINEAR", 0x20000},       {'!', "D3DPTFILTERCAPS_MAGFPOINT", 0x1000000},
    {'!', "D3DPTFILTERCAPS_MAGFLINEAR", 0x2000000},     {'!', "D3DPTFILTERCAPS_MAGFANISOTROPIC", 0x4000000},
    {'+', "D3DPTFILTERCAPS_MAGFAFLATCUBIC", 0x8000000}, {'+', "D3DPTFILTERCAPS_MAGFGAUSSIANCUBIC", 0x10000000}};
constexpr CapsFlag kAddressCaps[] = {
    {'!', "D3DPTADDRESSCAPS_WRAP", 0x1},           {'!', "D3DPTADDRESSCAPS_MIRROR", 0x2},
    {'!', "D3DPTADDRESSCAPS_CLAMP", 0x4},          {'!', "D3DPTADDRESSCAPS_BORDER", 0x8},
    {'!', "D3DPTADDRESSCAPS_INDEPENDENTUV", 0x10}, {'!', "D3DPTADDRESSCAPS_MIRRORONCE", 0x20}};
constexpr CapsFlag kStencilCaps[] = {{'!', "D3DSTENCILCAPS_KEEP", 0x1},     {'!', "D3DSTENCILCAPS_ZERO", 0x2},
                                     {'!', "D3DSTENCILCAPS_REPLACE", 0x4},  {'!', "D3DSTENCILCAPS_INCRSAT", 0x8},
                                     {'!', "D3DSTENCILCAPS_DECRSAT", 0x10}, {'!', "D3DSTENCILCAPS_INVERT", 0x20},
                                     {'!', "D3DSTENCILCAPS_INCR", 0x40},    {'!', "D3DSTENCILCAPS_DECR", 0x80}};
constexpr CapsFlag kFvfCaps[] = {{'!', "D3DFVFCAPS_DONOTSTRIPELEMENTS", 0x80000}, {'!', "D3DFVFCAPS_PSIZE", 0x100000}};
constexpr CapsFlag kTextureOpCaps[] = {{'!', "D3DTEXOPCAPS_DISABLE", 0x1},
                                       {'!', "D3DTEXOPCAPS_SELECTARG1", 0x2},
                                       {'!', "D3DTEXOPCAPS_SELECTARG2", 0x4},
                                       {'!', "D3DTEXOPCAPS_MODULATE", 0x8},
                                       {'!', "D3DTEXOPCAPS_MODULATE2X", 0x10},
                                       {'!', "D3DTEXOPCAPS_MODULATE4X", 0x20},
                                       {'!', "D3DTEXOPCAPS_ADD", 0x40},
                                       {'!', "D3DTEXOPCAPS_ADDSIGNED", 0x80},
                                       {'!', "D3DTEXOPCAPS_ADDSIGNED2X", 0x100},
                                       {'!', "D3DTEXOPCAPS_SUBTRACT", 0x200},
                                       {'!', "D3DTEXOPCAPS_ADDSMOOTH", 0x400},
                                       {'!', "D3DTEXOPCAPS_BLENDDIFFUSEALPHA", 0x800},
                                       {'!', "D3DTEXOPCAPS_BLENDTEXTUREALPHA", 0x1000},
                                       {'!', "D3DTEXOPCAPS_BLENDFACTORALPHA", 0x2000},
                                       {'!', "D3DTEXOPCAPS_BLENDTEXTUREALPHAPM", 0x4000},
                                       {'!', "D3DTEXOPCAPS_BLENDCURRENTALPHA", 0x8000},
                                       {'!', "D3DTEXOPCAPS_PREMODULATE", 0x10000},
                                       {'!', "D3DTEXOPCAPS_MODULATEALPHA_ADDCOLOR", 0x20000},
                                       {'!', "D3DTEXOPCAPS_MODULATECOLOR_ADDALPHA", 0x40000},
                                       {'!', "D3DTEXOPCAPS_MODULATEINVALPHA_ADDCOLOR", 0x80000},
                                       {'!', "D3DTEXOPCAPS_MODULATEINVCOLOR_ADDALPHA", 0x100000},
                                       {'!', "D3DTEXOPCAPS_BUMPENVMAP", 0x200000},
                                       {'!', "D3DTEXOPCAPS_BUMPENVMAPLUMINANCE", 0x400000},
                                       {'!', "D3DTEXOPCAPS_DOTPRODUCT3", 0x800000},
                                       {'!', "D3DTEXOPCAPS_MULTIPLYADD", 0x1000000},
                                       {'!', "D3DTEXOPCAPS_LERP", 0x2000000}};
constexpr CapsFlag kVertexProcessingCaps[] = {{'!', "D3DVTXPCAPS_TEXGEN", 0x1},
                                              {'!', "D3DVTXPCAPS_MATERIALSOURCE7", 0x2},
                                              {'!', "D3DVTXPCAPS_DIRECTIONALLIGHTS", 0x8},
                                              {'!', "D3DVTXPCAPS_POSITIONALLIGHTS", 0x10},
                                              {'!', "D3DVTXPCAPS_LOCALVIEWER", 0x20},
                                              {'!', "D3DVTXPCAPS_TWEENING", 0x40},
                                              {'+', "D3DVTXPCAPS_NO_VSDT_UBYTE4", 0x80}};

struct FlagListRef {
  const CapsFlag* entries;
  size_t count;
};
template <size_t N>
constexpr FlagListRef List(const CapsFlag (&entries)[N]) {
  return {entries, N};
}

// How a field's value is written.
enum class Kind { kDeviceType, kUnsigned, kFlags, kNothing, kHex, kFloat, kTexCoordCount };

struct ReportLine {
  const char* label;
  Kind kind;
  uint32_t word;  // index of the field's word in the record
  FlagListRef flags = {nullptr, 0};
};

// Word indices of the published record.
enum : uint32_t {
  kDeviceType,
  kAdapterOrdinal,
  kCapsWord,
  kCaps2Word,
  kCaps3Word,
  kPresentationIntervals,
  kCursorCaps,
  kDevCapsWord,
  kPrimitiveMiscCapsWord,
  kRasterCapsWord,
  kZCmpCaps,
  kSrcBlendCaps,
  kDestBlendCaps,
  kAlphaCmpCaps,
  kShadeCapsWord,
  kTextureCapsWord,
  kTextureFilterCaps,
  kCubeTextureFilterCaps,
  kVolumeTextureFilterCaps,
  kTextureAddressCaps,
  kVolumeTextureAddressCaps,
  kLineCapsWord,
  kMaxTextureWidth,
  kMaxTextureHeight,
  kMaxVolumeExtent,
  kMaxTextureRepeat,
  kMaxTextureAspectRatio,
  kMaxAnisotropy,
  kMaxVertexW,
  kGuardBandLeft,
  kGuardBandTop,
  kGuardBandRight,
  kGuardBandBottom,
  kExtentsAdjust,
  kStencilCapsWord,
  kFVFCapsWord,
  kTextureOpCapsWord,
  kMaxTextureBlendStages,
  kMaxSimultaneousTextures,
  kVertexProcessingCapsWord,
  kMaxActiveLights,
  kMaxUserClipPlanes,
  kMaxVertexBlendMatrices,
  kMaxVertexBlendMatrixIndex,
  kMaxPointSize,
  kMaxPrimitiveCount,
  kMaxVertexIndex,
  kMaxStreams,
  kMaxStreamStride,
  kVertexShaderVersion,
  kMaxVertexShaderConst,
  kPixelShaderVersion,
  kMaxPixelShaderValue,
  kWordCount
};
static_assert(kWordCount * 4 == sizeof(D3DCAPS8));

const ReportLine kReport[] = {
    {"  DeviceType: ", Kind::kDeviceType, kDeviceType},
    {"  AdapterOrdinal: ", Kind::kUnsigned, kAdapterOrdinal},
    {"  Caps: ", Kind::kFlags, kCapsWord, List(kCaps)},
    {"  Caps2: ", Kind::kFlags, kCaps2Word, List(kCaps2)},
    {"  Caps3: ", Kind::kNothing, kCaps3Word},
    {"  PresentationIntervals: ", Kind::kHex, kPresentationIntervals},
    {"  CursorCaps: ", Kind::kUnsigned, kCursorCaps},
    {"  DevCaps: ", Kind::kFlags, kDevCapsWord, List(kDevCaps)},
    {"  PrimitiveMiscCaps: ", Kind::kFlags, kPrimitiveMiscCapsWord, List(kPrimitiveMiscCaps)},
    {"  RasterCaps: ", Kind::kFlags, kRasterCapsWord, List(kRasterCaps)},
    {"  ZCmpCaps: ", Kind::kFlags, kZCmpCaps, List(kCompareCaps)},
    {"  SrcBlendCaps: ", Kind::kFlags, kSrcBlendCaps, List(kBlendCaps)},
    {"  DestBlendCaps: ", Kind::kFlags, kDestBlendCaps, List(kBlendCaps)},
    {"  AlphaCmpCaps: ", Kind::kFlags, kAlphaCmpCaps, List(kCompareCaps)},
    {"  ShadeCaps: ", Kind::kFlags, kShadeCapsWord, List(kShadeCaps)},
    {"  TextureCaps: ", Kind::kFlags, kTextureCapsWord, List(kTextureCaps)},
    {"  TextureFilterCaps: ", Kind::kFlags, kTextureFilterCaps, List(kFilterCaps)},
    {"  CubeTextureFilterCaps: ", Kind::kFlags, kCubeTextureFilterCaps, List(kFilterCaps)},
    {"  VolumeTextureFilterCaps: ", Kind::kFlags, kVolumeTextureFilterCaps, List(kFilterCaps)},
    {"  TextureAddressCaps: ", Kind::kFlags, kTextureAddressCaps, List(kAddressCaps)},
    {"  VolumeTextureAddressCaps: ", Kind::kFlags, kVolumeTextureAddressCaps, List(kAddressCaps)},
    {"  LineCaps: ", Kind::kFlags, kLineCapsWord, List(kLineCaps)},
    {"  MaxTextureWidth: ", Kind::kUnsigned, kMaxTextureWidth},
    {"  MaxTextureHeight: ", Kind::kUnsigned, kMaxTextureHeight},
    {"  MaxVolumeExtent: ", Kind::kUnsigned, kMaxVolumeExtent},
    {"  MaxTextureRepeat: ", Kind::kUnsigned, kMaxTextureRepeat},
    {"  MaxTextureAspectRatio: ", Kind::kUnsigned, kMaxTextureAspectRatio},
    {"  MaxAnisotropy: ", Kind::kUnsigned, kMaxAnisotropy},
    {"  MaxVertexW: ", Kind::kFloat, kMaxVertexW},
    {"  GuardBandLeft: ", Kind::kFloat, kGuardBandLeft},
    {"  GuardBandTop: ", Kind::kFloat, kGuardBandTop},
    {"  GuardBandRight: ", Kind::kFloat, kGuardBandRight},
    {"  GuardBandBottom: ", Kind::kFloat, kGuardBandBottom},
    {"  ExtentsAdjust: ", Kind::kFloat, kExtentsAdjust},
    {"  StencilCaps: ", Kind::kFlags, kStencilCapsWord, List(kStencilCaps)},
    {"  FVFCaps: ", Kind::kFlags, kFVFCapsWord, List(kFvfCaps)},
    {"  FVFTexCoordCount: ", Kind::kTexCoordCount, kFVFCapsWord},
    {"  TextureOpCaps: ", Kind::kFlags, kTextureOpCapsWord, List(kTextureOpCaps)},
    {"  MaxTextureBlendStages: ", Kind::kUnsigned, kMaxTextureBlendStages},
    {"  MaxSimultaneousTextures: ", Kind::kUnsigned, kMaxSimultaneousTextures},
    {"  VertexProcessingCaps: ", Kind::kFlags, kVertexProcessingCapsWord, List(kVertexProcessingCaps)},
    {"  MaxActiveLights: ", Kind::kUnsigned, kMaxActiveLights},
    {"  MaxUserClipPlanes: ", Kind::kUnsigned, kMaxUserClipPlanes},
    {"  MaxVertexBlendMatrices: ", Kind::kUnsigned, kMaxVertexBlendMatrices},
    {"  MaxVertexBlendMatrixIndex: ", Kind::kUnsigned, kMaxVertexBlendMatrixIndex},
    {"  MaxPointSize: ", Kind::kFloat, kMaxPointSize},
    {"  MaxPrimitiveCount: ", Kind::kUnsigned, kMaxPrimitiveCount},
    {"  MaxVertexIndex: ", Kind::kUnsigned, kMaxVertexIndex},
    {"  MaxStreams: ", Kind::kUnsigned, kMaxStreams},
    {"  MaxStreamStride: ", Kind::kUnsigned, kMaxStreamStride},
    {"  VertexShaderVersion: ", Kind::kHex, kVertexShaderVersion},
    {"  MaxVertexShaderConst: ", Kind::kUnsigned, kMaxVertexShaderConst},
    {"  PixelShaderVersion: ", Kind::kHex, kPixelShaderVersion},
    {"  MaxPixelShaderValue: ", Kind::kFloat, kMaxPixelShaderValue},
};

void WriteFlags(StreamPipeRef& log, FlagListRef list, uint32_t value) {
  for (size_t i = 0; i < list.count; ++i) {
    const CapsFlag& f = list.entries[i];
    const bool set = (value & f.bit) != 0;
    if (set != (f.prefix == '+')) continue;
    log.WriteChar(f.prefix).WriteText(f.name).WriteChar(' ');
  }
}

}  // namespace

void WriteD3D8CapsReport(StreamPipeRef& log, int level, const D3DCAPS8& caps) {
  if (!LogLevelAdmits(level)) return;
  uint32_t words[kWordCount];
  std::memcpy(words, &caps, sizeof words);
  log->BeginMessage(level);
  log.WriteText("Direct3DDevice8 D3DCAPS8:").EndLine();
  log->EndMessage();
  for (const ReportLine& line : kReport) {
    const uint32_t v = words[line.word];
    log->BeginMessage(level);
    log.WriteText(line.label);
    switch (line.kind) {
      case Kind::kDeviceType:
        log.WriteText(D3D8DeviceTypeName(v));
        break;
      case Kind::kUnsigned:
        log.WriteU32(v);
        break;
      case Kind::kFlags:
        WriteFlags(log, line.flags, v);
        break;
      case Kind::kNothing:
        break;
      case Kind::kHex:
        log.WriteHexPadded(v, 8);
        break;
      case Kind::kFloat: {
        float f;
        std::memcpy(&f, &v, sizeof f);
        log.WriteF32(f);
        break;
      }
      case Kind::kTexCoordCount:
        log.WriteI32(int32_t(v & 0xFFFF));
        break;
    }
    log.EndLine();
    log->EndMessage();
  }
}

}  // namespace PM
