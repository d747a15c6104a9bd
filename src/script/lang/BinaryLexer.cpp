#include "script/lang/BinaryLexer.h"

#include <cstring>

#include "core/Matrix4f.h"
#include "core/Spheref.h"
#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"

namespace PM {

namespace {

// Element layout of each array token; the element block type is that of Array<T>.
struct ArrayKind {
  int32_t kind;
  uint32_t elementSize;
  const TypeRecord& (*blockType)();
};

constexpr ArrayKind kArrayKinds[] = {
    {kTokArrayBool, 1, &Array<bool>::BlockType},          {kTokArrayF32, 4, &Array<float>::BlockType},
    {kTokArrayF64, 8, &Array<double>::BlockType},         {kTokArrayI32, 4, &Array<int32_t>::BlockType},
    {kTokArrayI64, 8, &Array<int64_t>::BlockType},        {kTokArrayU32, 4, &Array<uint32_t>::BlockType},
    {kTokArrayU64, 8, &Array<uint64_t>::BlockType},       {kTokArrayVector2f, 8, &Array<Vector2f>::BlockType},
    {kTokArrayVector3f, 12, &Array<Vector3f>::BlockType}, {kTokArrayVector4f, 16, &Array<Vector4f>::BlockType},
    {kTokArrayMatrix4f, 64, &Array<Matrix4f>::BlockType}, {kTokArraySpheref, 16, &Array<Spheref>::BlockType},
};

// Payloads are read in pieces of this size, so memory grows only with bytes that actually arrive.
constexpr size_t kArrayChunk = 64 * 1024;

}  // namespace

bool BinaryLexer::ReadPayload(std::vector<uint8_t>& bytes, uint64_t n) {
  bytes.clear();
  while (bytes.size() < n) {
    size_t old = bytes.size();
    size_t piece = size_t(std::min<uint64_t>(kArrayChunk, n - old));
    bytes.resize(old + piece);
    if (ReadRawBytes(bytes.data() + old, piece) != 0) return false;
  }
  return true;
}

void BinaryLexer::ReadText(uint32_t n) {
  uint32_t got = n - uint32_t(ReadRawBytes(m_text, n));
  m_state.UnscrambleText(reinterpret_cast<uint8_t*>(m_text), got, n);
  m_text[got] = 0;
  m_textLength = int32_t(got);
  m_value.text = m_text;
}

void BinaryLexer::ReadArray(int32_t kind) {
  const ArrayKind* layout = nullptr;
  for (const ArrayKind& a : kArrayKinds)
    if (a.kind == kind) layout = &a;
  uint8_t countBytes[4];
  if (ReadRawBytes(countBytes, 4) != 0) return SetError(kLexErrorRange);
  uint32_t count = CompiledFormat::LoadWord(countBytes);
  if (count > 0x7FFFFFFFu) return SetError(kLexErrorRange);
  std::vector<uint8_t> bytes;
  uint64_t total = uint64_t(count) * layout->elementSize;
  if (!ReadPayload(bytes, total)) {
    SetElements(NullArrayPayload());
    return SetError(kLexErrorRange);
  }
  void* block = BlockNewArray(int(count), int(count), &layout->blockType());
  if (kind == kTokArrayBool) {
    bool* out = static_cast<bool*>(block);
    for (uint32_t i = 0; i < count; ++i) out[i] = bytes[i] != 0;
  } else if (total) {
    std::memcpy(block, bytes.data(), size_t(total));
  }
  SetElements(block);
}

void BinaryLexer::ReadStringArray() {
  m_strings.Clear();
  uint8_t word[4];
  if (ReadRawBytes(word, 4) != 0) return SetError(kLexErrorRange);
  uint32_t count = CompiledFormat::LoadWord(word);
  std::vector<uint8_t> bytes;
  for (uint32_t i = 0; i < count; ++i) {
    if (ReadRawBytes(word, 4) != 0) break;
    uint32_t n = CompiledFormat::LoadWord(word);
    if (!ReadPayload(bytes, n)) {
      m_strings.Clear();
      return SetError(kLexErrorRange);
    }
    m_state.UnscrambleText(bytes.data(), n, n);
    m_strings.Append(String(reinterpret_cast<const char*>(bytes.data()), int(n)));
  }
  if (uint32_t(m_strings.Count()) != count) {
    m_strings.Clear();
    SetError(kLexErrorRange);
  }
}

void BinaryLexer::Lex() {
  for (;;) {
    int c = ReadRawByte();
    if (c < 0) {
      m_kind = kTokEnd;
      return;
    }
    const int kind = m_state.DecodeCode(uint8_t(c));
    m_kind = kind;
    std::memset(&m_value, 0, sizeof m_value);
    switch (kind) {
      case 16:
      case 17:
      case 18:
      case 19:
      case 20:
      case 100:
        return;
      case kTokBlanks:
        if (m_mode & kModeSkipBlanks) continue;
        return;
      case kTokLineEnd:
        if (m_mode & kModeSkipLineEnds) continue;
        return;
      case 96:
      case 97:
      case 98:
      case 101:
      case 102:
      case 103:
      case 107: {
        uint8_t n = 0;
        ReadRawBytes(&n, 1);
        return ReadText(n);
      }
      case kTokDollar:
      case kTokU32:
        m_value.u32 = ReadRawU32();
        return;
      case kTokClassId: {
        uint8_t b[2] = {};
        ReadRawBytes(b, 2);
        m_value.u32 = 0xFFFFF000u | uint32_t(b[1] & 15) << 8 | b[0];
        return;
      }
      case kTokMemberId:
      case kTokEnumId: {
        uint32_t v = ReadRawU32();
        m_value.u32 = (v >> 16 | v << 16) | 0x00FFF000u;
        return;
      }
      case kTokBool: {
        uint8_t b = 0;
        ReadRawBytes(&b, 1);
        m_value.b = b != 0;
        return;
      }
      case kTokString: {
        uint32_t n = ReadRawU32();
        if (n >= uint32_t(kTextSize)) return SetError(kLexErrorRange);
        return ReadText(n);
      }
      case kTokF32:
      case kTokI32:
        m_value.u32 = ReadRawU32();
        m_state.a += m_value.u32;
        return;
      case kTokF64:
      case kTokI64:
      case kTokU64:
      case kTokVector2f:
        ReadRawBytes(m_value.bytes, 8);
        return;
      case kTokVector3f:
        ReadRawBytes(m_value.bytes, 12);
        m_state.a += CompiledFormat::LoadWord(m_value.bytes);
        return;
      case kTokVector4f:
      case kTokSpheref:
        ReadRawBytes(m_value.bytes, 16);
        return;
      case kTokMatrix4f:
        ReadRawBytes(m_value.bytes, 64);
        return;
      case kTokArrayString:
        return ReadStringArray();
      case kTokArrayBool:
      case kTokArrayF32:
      case kTokArrayF64:
      case kTokArrayI32:
      case kTokArrayI64:
      case kTokArrayU32:
      case kTokArrayU64:
      case kTokArrayVector2f:
      case kTokArrayVector3f:
      case kTokArrayVector4f:
      case kTokArrayMatrix4f:
      case kTokArraySpheref:
        return ReadArray(kind);
      case kTokEnd:
        return;
      default:
        if ((kind >= 32 && kind <= 47) || (kind >= 49 && kind <= 69) || (kind >= 80 && kind <= 85)) return;
        return SetError(kLexErrorControl);
    }
  }
}

uint32_t BinaryLexer::ParseValue(ValueVisitor& visitor) {
  Lex();
  return DeliverValue(visitor);
}

}  // namespace PM
