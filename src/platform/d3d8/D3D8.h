// The Direct3D 8 and DirectDraw 7 interfaces, records and constants that the Direct3D back end calls,
// written for our software device (d3d8.so). Values follow the published Direct3D 8 / DirectDraw 7
// documentation; only what the back end uses is declared. An HWND is the render pipe's window record.
#pragma once

#include <cstdint>

namespace PM {

struct PlatformWindow;

using HRESULT = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using BOOL = int32_t;
using HWND = PlatformWindow*;
using D3DCOLOR = uint32_t;
using D3DFORMAT = uint32_t;

constexpr HRESULT MakeD3DResult(uint32_t code) { return HRESULT(0x88760000u | code); }

constexpr HRESULT D3D_OK = 0;
constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);
constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = MakeD3DResult(2072);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MakeD3DResult(380);
constexpr HRESULT D3DERR_NOTFOUND = MakeD3DResult(2150);
constexpr HRESULT D3DERR_DEVICELOST = MakeD3DResult(2152);
constexpr HRESULT D3DERR_DEVICENOTRESET = MakeD3DResult(2153);
constexpr HRESULT D3DERR_NOTAVAILABLE = MakeD3DResult(2154);
constexpr HRESULT D3DERR_INVALIDDEVICE = MakeD3DResult(2155);
constexpr HRESULT D3DERR_INVALIDCALL = MakeD3DResult(2156);

constexpr UINT D3D_SDK_VERSION = 220;

// D3DFORMAT values.
enum : D3DFORMAT {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_R8G8B8 = 20,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_R5G6B5 = 23,
  D3DFMT_X1R5G5B5 = 24,
  D3DFMT_A1R5G5B5 = 25,
  D3DFMT_A4R4G4B4 = 26,
  D3DFMT_R3G3B2 = 27,
  D3DFMT_A8 = 28,
  D3DFMT_A8R3G3B2 = 29,
  D3DFMT_X4R4G4B4 = 30,
  D3DFMT_A2B10G10R10 = 31,
  D3DFMT_G16R16 = 34,
  D3DFMT_A8P8 = 40,
  D3DFMT_P8 = 41,
  D3DFMT_L8 = 50,
  D3DFMT_A8L8 = 51,
  D3DFMT_A4L4 = 52,
  D3DFMT_V8U8 = 60,
  D3DFMT_L6V5U5 = 61,
  D3DFMT_X8L8V8U8 = 62,
  D3DFMT_Q8W8V8U8 = 63,
  D3DFMT_V16U16 = 64,
  D3DFMT_W11V11U10 = 65,
  D3DFMT_A2W10V10U10 = 67,
  D3DFMT_D16_LOCKABLE = 70,
  D3DFMT_D32 = 71,
  D3DFMT_D15S1 = 73,
  D3DFMT_D24S8 = 75,
  D3DFMT_D24X8 = 77,
  D3DFMT_D24X4S4 = 79,
  D3DFMT_D16 = 80,
  D3DFMT_VERTEXDATA = 100,
  D3DFMT_INDEX16 = 101,
  D3DFMT_INDEX32 = 102,
};

constexpr D3DFORMAT MakeFourCC(char a, char b, char c, char d) {
  return D3DFORMAT(uint8_t(a)) | D3DFORMAT(uint8_t(b)) << 8 | D3DFORMAT(uint8_t(c)) << 16 | D3DFORMAT(uint8_t(d)) << 24;
}
constexpr D3DFORMAT D3DFMT_UYVY = MakeFourCC('U', 'Y', 'V', 'Y');
constexpr D3DFORMAT D3DFMT_YUY2 = MakeFourCC('Y', 'U', 'Y', '2');
constexpr D3DFORMAT D3DFMT_DXT1 = MakeFourCC('D', 'X', 'T', '1');
constexpr D3DFORMAT D3DFMT_DXT2 = MakeFourCC('D', 'X', 'T', '2');
constexpr D3DFORMAT D3DFMT_DXT3 = MakeFourCC('D', 'X', 'T', '3');
constexpr D3DFORMAT D3DFMT_DXT4 = MakeFourCC('D', 'X', 'T', '4');
constexpr D3DFORMAT D3DFMT_DXT5 = MakeFourCC('D', 'X', 'T', '5');

enum D3DDEVTYPE : uint32_t { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2, D3DDEVTYPE_SW = 3 };
enum D3DRESOURCETYPE : uint32_t {
  D3DRTYPE_SURFACE = 1,
  D3DRTYPE_VOLUME = 2,
  D3DRTYPE_TEXTURE = 3,
  D3DRTYPE_VOLUMETEXTURE = 4,
  D3DRTYPE_CUBETEXTURE = 5,
  D3DRTYPE_VERTEXBUFFER = 6,
  D3DRTYPE_INDEXBUFFER = 7,
};
enum D3DPOOL : uint32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2, D3DPOOL_SCRATCH = 3 };
enum D3DPRIMITIVETYPE : uint32_t {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};
enum D3DTRANSFORMSTATETYPE : uint32_t { D3DTS_VIEW = 2, D3DTS_PROJECTION = 3, D3DTS_TEXTURE0 = 16, D3DTS_WORLD = 256 };
enum D3DBACKBUFFER_TYPE : uint32_t { D3DBACKBUFFER_TYPE_MONO = 0 };
enum D3DSWAPEFFECT : uint32_t { D3DSWAPEFFECT_DISCARD = 1, D3DSWAPEFFECT_FLIP = 2, D3DSWAPEFFECT_COPY = 3 };
enum D3DMULTISAMPLE_TYPE : uint32_t { D3DMULTISAMPLE_NONE = 0 };

// Behaviour flags of CreateDevice.
constexpr DWORD D3DCREATE_FPU_PRESERVE = 0x2;
constexpr DWORD D3DCREATE_MULTITHREADED = 0x4;
constexpr DWORD D3DCREATE_PUREDEVICE = 0x10;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;
constexpr DWORD D3DCREATE_MIXED_VERTEXPROCESSING = 0x80;

constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x1;
constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr UINT D3DPRESENT_INTERVAL_ONE = 1;
constexpr UINT D3DPRESENT_INTERVAL_TWO = 2;
constexpr UINT D3DPRESENT_INTERVAL_THREE = 4;
constexpr UINT D3DPRESENT_INTERVAL_FOUR = 8;
constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;

constexpr DWORD D3DUSAGE_RENDERTARGET = 0x1;
constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x2;
constexpr DWORD D3DUSAGE_WRITEONLY = 0x8;
constexpr DWORD D3DUSAGE_SOFTWAREPROCESSING = 0x10;
constexpr DWORD D3DUSAGE_DYNAMIC = 0x200;

constexpr DWORD D3DLOCK_DISCARD = 0x2000;
constexpr DWORD D3DLOCK_NOOVERWRITE = 0x1000;
constexpr DWORD D3DLOCK_READONLY = 0x10;
constexpr DWORD D3DLOCK_NOSYSLOCK = 0x800;

constexpr DWORD D3DCLEAR_TARGET = 0x1;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x2;
constexpr DWORD D3DCLEAR_STENCIL = 0x4;

// Flexible vertex format bits.
constexpr DWORD D3DFVF_XYZ = 0x2;
constexpr DWORD D3DFVF_NORMAL = 0x10;
constexpr DWORD D3DFVF_DIFFUSE = 0x40;
constexpr DWORD D3DFVF_SPECULAR = 0x80;
constexpr DWORD D3DFVF_TEX1 = 0x100;
constexpr DWORD D3DFVF_XYZRHW = 0x4;
constexpr DWORD D3DFVF_XYZB1 = 0x6;
constexpr DWORD D3DFVF_XYZB5 = 0xE;
constexpr DWORD D3DFVF_POSITION_MASK = 0xE;
constexpr DWORD D3DFVF_PSIZE = 0x20;
constexpr DWORD D3DFVF_TEXCOUNT_MASK = 0xF00;
constexpr DWORD D3DFVF_TEXCOUNT_SHIFT = 8;
constexpr DWORD D3DFVF_LASTBETA_UBYTE4 = 0x1000;
constexpr DWORD D3DFVF_TEX2 = 0x200;
// Coordinate counts of set i: 2 is the zero code, so plain FVF codes mean two coordinates a set.
constexpr DWORD D3DFVF_TEXCOORDSIZE1(DWORD i) { return 3u << (i * 2 + 16); }
constexpr DWORD D3DFVF_TEXCOORDSIZE2(DWORD) { return 0; }
constexpr DWORD D3DFVF_TEXCOORDSIZE3(DWORD i) { return 1u << (i * 2 + 16); }
constexpr DWORD D3DFVF_TEXCOORDSIZE4(DWORD i) { return 2u << (i * 2 + 16); }

// Render states.
enum D3DRENDERSTATETYPE : uint32_t {
  D3DRS_ZENABLE = 7,
  D3DRS_FILLMODE = 8,
  D3DRS_SHADEMODE = 9,
  D3DRS_ZWRITEENABLE = 14,
  D3DRS_ALPHATESTENABLE = 15,
  D3DRS_LASTPIXEL = 16,
  D3DRS_SRCBLEND = 19,
  D3DRS_DESTBLEND = 20,
  D3DRS_CULLMODE = 22,
  D3DRS_ZFUNC = 23,
  D3DRS_ALPHAREF = 24,
  D3DRS_ALPHAFUNC = 25,
  D3DRS_DITHERENABLE = 26,
  D3DRS_ALPHABLENDENABLE = 27,
  D3DRS_FOGENABLE = 28,
  D3DRS_SPECULARENABLE = 29,
  D3DRS_FOGCOLOR = 34,
  D3DRS_FOGTABLEMODE = 35,
  D3DRS_FOGSTART = 36,
  D3DRS_FOGEND = 37,
  D3DRS_FOGDENSITY = 38,
  D3DRS_ZBIAS = 47,
  D3DRS_RANGEFOGENABLE = 48,
  D3DRS_STENCILENABLE = 52,
  D3DRS_STENCILFAIL = 53,
  D3DRS_STENCILZFAIL = 54,
  D3DRS_STENCILPASS = 55,
  D3DRS_STENCILFUNC = 56,
  D3DRS_STENCILREF = 57,
  D3DRS_STENCILMASK = 58,
  D3DRS_STENCILWRITEMASK = 59,
  D3DRS_TEXTUREFACTOR = 60,
  D3DRS_CLIPPING = 136,
  D3DRS_LIGHTING = 137,
  D3DRS_AMBIENT = 139,
  D3DRS_FOGVERTEXMODE = 140,
  D3DRS_COLORVERTEX = 141,
  D3DRS_LOCALVIEWER = 142,
  D3DRS_NORMALIZENORMALS = 143,
  D3DRS_DIFFUSEMATERIALSOURCE = 145,
  D3DRS_SPECULARMATERIALSOURCE = 146,
  D3DRS_AMBIENTMATERIALSOURCE = 147,
  D3DRS_EMISSIVEMATERIALSOURCE = 148,
  D3DRS_POINTSIZE = 154,
  D3DRS_MULTISAMPLEMASK = 162,
  D3DRS_COLORWRITEENABLE = 168,
  D3DRS_BLENDOP = 171,
};
constexpr uint32_t kD3DRenderStateCount = 176;

enum D3DCMPFUNC : uint32_t {
  D3DCMP_NEVER = 1,
  D3DCMP_LESS = 2,
  D3DCMP_EQUAL = 3,
  D3DCMP_LESSEQUAL = 4,
  D3DCMP_GREATER = 5,
  D3DCMP_NOTEQUAL = 6,
  D3DCMP_GREATEREQUAL = 7,
  D3DCMP_ALWAYS = 8,
};
enum D3DCULL : uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DFILLMODE : uint32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum D3DBLEND : uint32_t {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
  D3DBLEND_SRCALPHASAT = 11,
  D3DBLEND_BOTHSRCALPHA = 12,
  D3DBLEND_BOTHINVSRCALPHA = 13,
};
constexpr uint32_t D3DBLENDOP_ADD = 1;
constexpr uint32_t D3DBLENDOP_SUBTRACT = 2;
constexpr uint32_t D3DBLENDOP_REVSUBTRACT = 3;
constexpr uint32_t D3DBLENDOP_MIN = 4;
constexpr uint32_t D3DBLENDOP_MAX = 5;
constexpr uint32_t D3DFOG_NONE = 0;
constexpr uint32_t D3DFOG_EXP = 1;
constexpr uint32_t D3DFOG_EXP2 = 2;
constexpr uint32_t D3DFOG_LINEAR = 3;
constexpr uint32_t D3DMCS_MATERIAL = 0;
constexpr uint32_t D3DMCS_COLOR1 = 1;
constexpr uint32_t D3DMCS_COLOR2 = 2;

// Texture stage states and their values.
enum D3DTEXTURESTAGESTATETYPE : uint32_t {
  D3DTSS_COLOROP = 1,
  D3DTSS_COLORARG1 = 2,
  D3DTSS_COLORARG2 = 3,
  D3DTSS_ALPHAOP = 4,
  D3DTSS_ALPHAARG1 = 5,
  D3DTSS_ALPHAARG2 = 6,
  D3DTSS_TEXCOORDINDEX = 11,
  D3DTSS_ADDRESSU = 13,
  D3DTSS_ADDRESSV = 14,
  D3DTSS_BORDERCOLOR = 15,
  D3DTSS_MAGFILTER = 16,
  D3DTSS_MINFILTER = 17,
  D3DTSS_MIPFILTER = 18,
  D3DTSS_MIPMAPLODBIAS = 19,
  D3DTSS_MAXMIPLEVEL = 20,
  D3DTSS_MAXANISOTROPY = 21,
  D3DTSS_TEXTURETRANSFORMFLAGS = 24,
  D3DTSS_COLORARG0 = 26,
  D3DTSS_ALPHAARG0 = 27,
  D3DTSS_RESULTARG = 28,
};
constexpr uint32_t kD3DTextureStageStateCount = 29;
constexpr uint32_t kD3DStageCount = 8;
enum D3DTEXTUREOP : uint32_t {
  D3DTOP_DISABLE = 1,
  D3DTOP_SELECTARG1 = 2,
  D3DTOP_SELECTARG2 = 3,
  D3DTOP_MODULATE = 4,
  D3DTOP_MODULATE2X = 5,
  D3DTOP_MODULATE4X = 6,
  D3DTOP_ADD = 7,
  D3DTOP_ADDSIGNED = 8,
  D3DTOP_ADDSIGNED2X = 9,
  D3DTOP_SUBTRACT = 10,
  D3DTOP_ADDSMOOTH = 11,
  D3DTOP_BLENDDIFFUSEALPHA = 12,
  D3DTOP_BLENDTEXTUREALPHA = 13,
  D3DTOP_BLENDFACTORALPHA = 14,
  D3DTOP_BLENDTEXTUREALPHAPM = 15,
  D3DTOP_BLENDCURRENTALPHA = 16,
  D3DTOP_PREMODULATE = 17,
  D3DTOP_MODULATEALPHA_ADDCOLOR = 18,
  D3DTOP_MODULATECOLOR_ADDALPHA = 19,
  D3DTOP_MODULATEINVALPHA_ADDCOLOR = 20,
  D3DTOP_MODULATEINVCOLOR_ADDALPHA = 21,
  D3DTOP_BUMPENVMAP = 22,
  D3DTOP_BUMPENVMAPLUMINANCE = 23,
  D3DTOP_DOTPRODUCT3 = 24,
  D3DTOP_MULTIPLYADD = 25,
  D3DTOP_LERP = 26,
};
constexpr uint32_t D3DTA_DIFFUSE = 0;
constexpr uint32_t D3DTA_CURRENT = 1;
constexpr uint32_t D3DTA_TEXTURE = 2;
constexpr uint32_t D3DTA_TFACTOR = 3;
constexpr uint32_t D3DTA_SPECULAR = 4;
constexpr uint32_t D3DTA_TEMP = 5;
constexpr uint32_t D3DTA_SELECTMASK = 0xF;
constexpr uint32_t D3DTA_COMPLEMENT = 0x10;
constexpr uint32_t D3DTA_ALPHAREPLICATE = 0x20;
constexpr uint32_t D3DTADDRESS_WRAP = 1;
constexpr uint32_t D3DTADDRESS_MIRROR = 2;
constexpr uint32_t D3DTADDRESS_CLAMP = 3;
constexpr uint32_t D3DTADDRESS_BORDER = 4;
constexpr uint32_t D3DTADDRESS_MIRRORONCE = 5;
constexpr uint32_t D3DTEXF_NONE = 0;
constexpr uint32_t D3DTEXF_POINT = 1;
constexpr uint32_t D3DTEXF_LINEAR = 2;
constexpr uint32_t D3DTEXF_ANISOTROPIC = 3;
// TEXCOORDINDEX: the set in the low word, a generation mode in the high word.
constexpr DWORD D3DTSS_TCI_PASSTHRU = 0x00000;
constexpr DWORD D3DTSS_TCI_CAMERASPACENORMAL = 0x10000;
constexpr DWORD D3DTSS_TCI_CAMERASPACEPOSITION = 0x20000;
constexpr DWORD D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR = 0x30000;
// TEXTURETRANSFORMFLAGS: how many transformed coordinates the stage reads, and whether it divides.
constexpr DWORD D3DTTFF_DISABLE = 0;
constexpr DWORD D3DTTFF_COUNT1 = 1;
constexpr DWORD D3DTTFF_COUNT2 = 2;
constexpr DWORD D3DTTFF_COUNT3 = 3;
constexpr DWORD D3DTTFF_COUNT4 = 4;
constexpr DWORD D3DTTFF_PROJECTED = 256;

// Capability bits the back end tests or the device claims.
constexpr DWORD D3DPMISCCAPS_MASKZ = 0x2;
constexpr DWORD D3DPMISCCAPS_CULLNONE = 0x10;
constexpr DWORD D3DPMISCCAPS_CULLCW = 0x20;
constexpr DWORD D3DPMISCCAPS_CULLCCW = 0x40;
constexpr DWORD D3DPMISCCAPS_COLORWRITEENABLE = 0x80;
constexpr DWORD D3DPMISCCAPS_TSSARGTEMP = 0x400;
constexpr DWORD D3DPMISCCAPS_BLENDOP = 0x800;
constexpr DWORD D3DPMISCCAPS_NULLREFERENCE = 0x1000;
constexpr DWORD D3DPCMPCAPS_ALL = 0xFF;  // NEVER .. ALWAYS
constexpr DWORD D3DPSHADECAPS_COLORGOURAUDRGB = 0x8;
constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x1;
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x2;
constexpr DWORD D3DPTEXTURECAPS_ALPHA = 0x4;
constexpr DWORD D3DPTEXTURECAPS_MIPMAP = 0x4000;
constexpr DWORD D3DPRASTERCAPS_ZTEST = 0x10;
constexpr DWORD D3DPRASTERCAPS_FOGVERTEX = 0x80;
constexpr DWORD D3DPRASTERCAPS_FOGTABLE = 0x100;
constexpr DWORD D3DPRASTERCAPS_FOGRANGE = 0x10000;
constexpr DWORD D3DPRASTERCAPS_MIPMAPLODBIAS = 0x2000;
constexpr DWORD D3DPRASTERCAPS_ANISOTROPY = 0x20000;
constexpr DWORD D3DPRASTERCAPS_ZBIAS = 0x4000;
constexpr DWORD D3DPRASTERCAPS_WFOG = 0x100000;
constexpr DWORD D3DLINECAPS_TEXTURE = 0x1;
constexpr DWORD D3DLINECAPS_ZTEST = 0x2;
constexpr DWORD D3DLINECAPS_BLEND = 0x4;
constexpr DWORD D3DLINECAPS_ALPHACMP = 0x8;
constexpr DWORD D3DLINECAPS_FOG = 0x10;
constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x10000;
constexpr DWORD D3DVTXPCAPS_DIRECTIONALLIGHTS = 0x8;
constexpr DWORD D3DVTXPCAPS_MATERIALSOURCE7 = 0x2;
constexpr DWORD D3DVTXPCAPS_POSITIONALLIGHTS = 0x10;
constexpr DWORD D3DVTXPCAPS_LOCALVIEWER = 0x20;
constexpr DWORD D3DVTXPCAPS_TEXGEN = 0x1;
constexpr DWORD D3DPTADDRESSCAPS_WRAP = 0x1;
constexpr DWORD D3DPTADDRESSCAPS_MIRROR = 0x2;
constexpr DWORD D3DPTADDRESSCAPS_CLAMP = 0x4;
constexpr DWORD D3DPTADDRESSCAPS_BORDER = 0x8;
constexpr DWORD D3DPTADDRESSCAPS_MIRRORONCE = 0x20;
constexpr DWORD D3DPTFILTERCAPS_MINFPOINT = 0x100;
constexpr DWORD D3DPTFILTERCAPS_MINFLINEAR = 0x200;
constexpr DWORD D3DPTFILTERCAPS_MIPFPOINT = 0x10000;
constexpr DWORD D3DPTFILTERCAPS_MIPFLINEAR = 0x20000;
constexpr DWORD D3DPTFILTERCAPS_MAGFPOINT = 0x1000000;
constexpr DWORD D3DPTFILTERCAPS_MAGFLINEAR = 0x2000000;
constexpr DWORD D3DTEXOPCAPS_DISABLE = 0x1;
constexpr DWORD D3DTEXOPCAPS_SELECTARG1 = 0x2;
constexpr DWORD D3DTEXOPCAPS_SELECTARG2 = 0x4;
constexpr DWORD D3DTEXOPCAPS_MODULATE = 0x8;
constexpr DWORD D3DTEXOPCAPS_ADD = 0x40;
constexpr DWORD D3DPBLENDCAPS_ALL = 0x7FF;  // ZERO .. SRCALPHASAT
constexpr DWORD D3DPBLENDCAPS_BOTHSRCALPHA = 0x800;
constexpr DWORD D3DPBLENDCAPS_BOTHINVSRCALPHA = 0x1000;
constexpr DWORD D3DSTENCILCAPS_KEEP = 0x1;
constexpr DWORD D3DFVFCAPS_TEXCOORDCOUNTMASK = 0xFFFF;

// Vertex declaration tokens (streams and their data).
constexpr DWORD D3DVSD_END = 0xFFFFFFFFu;
constexpr DWORD D3DVSD_TOKEN_STREAM = 1;
constexpr DWORD D3DVSD_TOKEN_NOP = 0;
constexpr DWORD D3DVSD_TOKEN_STREAMDATA = 2;
constexpr DWORD D3DVSD_NOP = 0;
constexpr DWORD D3DVSDT_FLOAT1 = 0;
constexpr DWORD D3DVSDT_FLOAT2 = 1;
constexpr DWORD D3DVSDT_FLOAT3 = 2;
constexpr DWORD D3DVSDT_FLOAT4 = 3;
constexpr DWORD D3DVSDT_D3DCOLOR = 4;
constexpr DWORD D3DVSDT_UBYTE4 = 5;
constexpr DWORD D3DVSDT_SHORT2 = 6;
constexpr DWORD D3DVSDT_SHORT4 = 7;
constexpr DWORD D3DVSD_STREAM(DWORD stream) { return D3DVSD_TOKEN_STREAM << 29 | stream; }
constexpr DWORD D3DVSD_REG(DWORD reg, DWORD type) { return D3DVSD_TOKEN_STREAMDATA << 29 | type << 16 | reg; }
// Skips `count` DWORDs of the stream's vertex.
constexpr DWORD D3DVSD_SKIP(DWORD count) { return D3DVSD_TOKEN_STREAMDATA << 29 | 1u << 28 | count << 16; }
constexpr DWORD D3DVSDE_POSITION = 0;
constexpr DWORD D3DVSDE_BLENDWEIGHT = 1;
constexpr DWORD D3DVSDE_BLENDINDICES = 2;
constexpr DWORD D3DVSDE_NORMAL = 3;
constexpr DWORD D3DVSDE_PSIZE = 4;
constexpr DWORD D3DVSDE_DIFFUSE = 5;
constexpr DWORD D3DVSDE_SPECULAR = 6;
constexpr DWORD D3DVSDE_TEXCOORD0 = 7;
constexpr DWORD D3DVSDE_TEXCOORD7 = 14;
constexpr DWORD D3DVSDE_POSITION2 = 15;
constexpr DWORD D3DVSDE_NORMAL2 = 16;

struct RECT {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};
struct POINT {
  int32_t x = 0;
  int32_t y = 0;
};

struct D3DRECT {
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
};

struct D3DMATRIX {
  float m[4][4];
};

struct D3DCOLORVALUE {
  float r = 0, g = 0, b = 0, a = 0;
};
struct D3DVECTOR {
  float x = 0, y = 0, z = 0;
};

struct D3DVIEWPORT8 {
  DWORD X = 0;
  DWORD Y = 0;
  DWORD Width = 0;
  DWORD Height = 0;
  float MinZ = 0.0f;
  float MaxZ = 1.0f;
};

struct D3DMATERIAL8 {
  D3DCOLORVALUE Diffuse;
  D3DCOLORVALUE Ambient;
  D3DCOLORVALUE Specular;
  D3DCOLORVALUE Emissive;
  float Power = 0.0f;
};

enum D3DLIGHTTYPE : uint32_t { D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3 };
struct D3DLIGHT8 {
  D3DLIGHTTYPE Type = D3DLIGHT_DIRECTIONAL;
  D3DCOLORVALUE Diffuse;
  D3DCOLORVALUE Specular;
  D3DCOLORVALUE Ambient;
  D3DVECTOR Position;
  D3DVECTOR Direction;
  float Range = 0, Falloff = 0, Attenuation0 = 0, Attenuation1 = 0, Attenuation2 = 0, Theta = 0, Phi = 0;
};

struct D3DDISPLAYMODE {
  UINT Width = 0;
  UINT Height = 0;
  UINT RefreshRate = 0;
  D3DFORMAT Format = D3DFMT_UNKNOWN;
};

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth = 0;
  UINT BackBufferHeight = 0;
  D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
  UINT BackBufferCount = 0;
  D3DMULTISAMPLE_TYPE MultiSampleType = D3DMULTISAMPLE_NONE;
  D3DSWAPEFFECT SwapEffect = D3DSWAPEFFECT_DISCARD;
  HWND hDeviceWindow = nullptr;
  BOOL Windowed = 0;
  BOOL EnableAutoDepthStencil = 0;
  D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
  DWORD Flags = 0;
  UINT FullScreen_RefreshRateInHz = 0;
  UINT FullScreen_PresentationInterval = 0;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format = D3DFMT_UNKNOWN;
  D3DRESOURCETYPE Type = D3DRTYPE_SURFACE;
  DWORD Usage = 0;
  D3DPOOL Pool = D3DPOOL_DEFAULT;
  UINT Size = 0;
  D3DMULTISAMPLE_TYPE MultiSampleType = D3DMULTISAMPLE_NONE;
  UINT Width = 0;
  UINT Height = 0;
};

struct D3DLOCKED_RECT {
  int32_t Pitch = 0;
  void* pBits = nullptr;
};

// The published 53-word capabilities record.
struct D3DCAPS8 {
  D3DDEVTYPE DeviceType;
  UINT AdapterOrdinal;
  DWORD Caps, Caps2, Caps3, PresentationIntervals, CursorCaps, DevCaps, PrimitiveMiscCaps, RasterCaps, ZCmpCaps,
      SrcBlendCaps, DestBlendCaps, AlphaCmpCaps, ShadeCaps, TextureCaps, TextureFilterCaps, CubeTextureFilterCaps,
      VolumeTextureFilterCaps, TextureAddressCaps, VolumeTextureAddressCaps, LineCaps, MaxTextureWidth,
      MaxTextureHeight, MaxVolumeExtent, MaxTextureRepeat, MaxTextureAspectRatio, MaxAnisotropy;
  float MaxVertexW, GuardBandLeft, GuardBandTop, GuardBandRight, GuardBandBottom, ExtentsAdjust;
  DWORD StencilCaps, FVFCaps, TextureOpCaps, MaxTextureBlendStages, MaxSimultaneousTextures, VertexProcessingCaps,
      MaxActiveLights, MaxUserClipPlanes, MaxVertexBlendMatrices, MaxVertexBlendMatrixIndex;
  float MaxPointSize;
  DWORD MaxPrimitiveCount, MaxVertexIndex, MaxStreams, MaxStreamStride, VertexShaderVersion, MaxVertexShaderConst,
      PixelShaderVersion;
  float MaxPixelShaderValue;
};
static_assert(sizeof(D3DCAPS8) == 53 * 4);

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
constexpr GUID IID_IDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};

class IUnknown {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

class IDirect3DDevice8;

class IDirect3DResource8 : public IUnknown {
 public:
  virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
  virtual D3DRESOURCETYPE GetType() = 0;

 protected:
  ~IDirect3DResource8() = default;
};

class IDirect3DSurface8 : public IUnknown {
 public:
  virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
  virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect() = 0;

 protected:
  ~IDirect3DSurface8() = default;
};

class IDirect3DTexture8 : public IDirect3DResource8 {
 public:
  virtual DWORD GetLevelCount() = 0;
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) = 0;
  virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(UINT level) = 0;

 protected:
  ~IDirect3DTexture8() = default;
};

class IDirect3DVertexBuffer8 : public IDirect3DResource8 {
 public:
  virtual HRESULT Lock(UINT offset, UINT size, uint8_t** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;

 protected:
  ~IDirect3DVertexBuffer8() = default;
};

class IDirect3DIndexBuffer8 : public IDirect3DResource8 {
 public:
  virtual HRESULT Lock(UINT offset, UINT size, uint8_t** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;

 protected:
  ~IDirect3DIndexBuffer8() = default;
};

class IDirect3D8;

class IDirect3DDevice8 : public IUnknown {
 public:
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual UINT GetAvailableTextureMem() = 0;
  virtual HRESULT GetDirect3D(IDirect3D8** d3d) = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
  virtual HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) = 0;
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* params) = 0;
  virtual HRESULT Present(const RECT* source, const RECT* dest, HWND overrideWindow, const void* dirty) = 0;
  virtual HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** out) = 0;
  virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture8** out) = 0;
  virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer8** out) = 0;
  virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DIndexBuffer8** out) = 0;
  virtual HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                     BOOL lockable, IDirect3DSurface8** out) = 0;
  virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                            IDirect3DSurface8** out) = 0;
  virtual HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** out) = 0;
  virtual HRESULT CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT count, IDirect3DSurface8* dest,
                            const POINT* destPoints) = 0;
  virtual HRESULT GetRenderTarget(IDirect3DSurface8** out) = 0;
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface8** out) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  virtual HRESULT SetViewport(const D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT SetMaterial(const D3DMATERIAL8* material) = 0;
  virtual HRESULT GetMaterial(D3DMATERIAL8* material) = 0;
  virtual HRESULT SetLight(DWORD index, const D3DLIGHT8* light) = 0;
  virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
  virtual HRESULT GetTexture(DWORD stage, IDirect3DResource8** texture) = 0;
  virtual HRESULT SetTexture(DWORD stage, IDirect3DResource8* texture) = 0;
  virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) = 0;
  virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                       UINT primitiveCount) = 0;
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) = 0;
  virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                         const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                         UINT stride) = 0;
  virtual HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle, DWORD usage) = 0;
  virtual HRESULT SetVertexShader(DWORD handle) = 0;
  virtual HRESULT GetVertexShader(DWORD* handle) = 0;
  virtual HRESULT DeleteVertexShader(DWORD handle) = 0;
  virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) = 0;
  virtual HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) = 0;

 protected:
  ~IDirect3DDevice8() = default;
};

class IDirect3D8 : public IUnknown {
 public:
  virtual UINT GetAdapterCount() = 0;
  virtual UINT GetAdapterModeCount(UINT adapter) = 0;
  virtual HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) = 0;
  virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
  virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT format) = 0;
  virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) = 0;
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** out) = 0;

 protected:
  ~IDirect3D8() = default;
};

// ---- DirectDraw 7 ----------------------------------------------------------------------------------

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_INCOMPATIBLEPRIMARY = MakeD3DResult(95);
constexpr HRESULT DDERR_INVALIDCAPS = MakeD3DResult(100);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeD3DResult(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeD3DResult(145);
constexpr HRESULT DDERR_NOALPHAHW = MakeD3DResult(180);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeD3DResult(212);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeD3DResult(225);
constexpr HRESULT DDERR_NOFLIPHW = MakeD3DResult(230);
constexpr HRESULT DDERR_NOTFOUND = MakeD3DResult(255);
constexpr HRESULT DDERR_NOOVERLAYHW = MakeD3DResult(260);
constexpr HRESULT DDERR_NOZBUFFERHW = MakeD3DResult(280);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeD3DResult(380);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeD3DResult(564);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MakeD3DResult(565);
constexpr HRESULT DDERR_NOEMULATION = MakeD3DResult(566);
constexpr HRESULT DDERR_NOMIPMAPHW = MakeD3DResult(587);
constexpr HRESULT DDERR_UNSUPPORTEDMODE = MakeD3DResult(590);
constexpr HRESULT DDERR_SURFACEBUSY = MakeD3DResult(430);

constexpr DWORD DDSCL_NORMAL = 0x8;
constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_PITCH = 0x8;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr DWORD DDPF_ALPHAPIXELS = 0x1;
constexpr DWORD DDPF_RGB = 0x40;
constexpr DWORD DDLOCK_WAIT = 0x1;
constexpr DWORD DDLOCK_READONLY = 0x10;
constexpr DWORD DDLOCK_WRITEONLY = 0x20;
constexpr DWORD DDLOCK_NOSYSLOCK = 0x800;
constexpr DWORD DDLOCK_DISCARDCONTENTS = 0x2000;

struct DDPIXELFORMAT {
  DWORD dwSize = 32;
  DWORD dwFlags = 0;
  DWORD dwFourCC = 0;
  DWORD dwRGBBitCount = 0;
  DWORD dwRBitMask = 0;
  DWORD dwGBitMask = 0;
  DWORD dwBBitMask = 0;
  DWORD dwRGBAlphaBitMask = 0;
};

struct DDSCAPS2 {
  DWORD dwCaps = 0, dwCaps2 = 0, dwCaps3 = 0, dwCaps4 = 0;
};

// The surface description; dwSize is the published 124 bytes whatever this build's pointer width.
struct DDSURFACEDESC2 {
  static constexpr DWORD kPublishedSize = 124;
  DWORD dwSize = 0;
  DWORD dwFlags = 0;
  DWORD dwHeight = 0;
  DWORD dwWidth = 0;
  int32_t lPitch = 0;
  DWORD dwBackBufferCount = 0;
  DWORD dwMipMapCount = 0;
  DWORD dwAlphaBitDepth = 0;
  DWORD dwReserved = 0;
  void* lpSurface = nullptr;
  uint32_t ddckCKDestOverlay[2] = {}, ddckCKDestBlt[2] = {}, ddckCKSrcOverlay[2] = {}, ddckCKSrcBlt[2] = {};
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
  DWORD dwTextureStage = 0;
};

class IDirectDrawSurface7 : public IUnknown {
 public:
  virtual HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) = 0;
  virtual HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, void* event) = 0;
  virtual HRESULT Unlock(RECT* rect) = 0;
  // Copies a rectangle of the source onto this surface at the destination's corner (same format only).
  virtual HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source, RECT* sourceRect, DWORD flags) = 0;

 protected:
  ~IDirectDrawSurface7() = default;
};

class IDirectDraw7 : public IUnknown {
 public:
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, IUnknown* outer) = 0;

 protected:
  ~IDirectDraw7() = default;
};

// The module's entry points, as the back end resolves them by name.
using Direct3DCreate8Fn = IDirect3D8* (*)(UINT sdkVersion);
using DirectDrawCreateExFn = HRESULT (*)(const GUID* driver, void** out, const GUID& iid, IUnknown* outer);

}  // namespace PM
