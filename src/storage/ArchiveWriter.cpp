#include "storage/ArchiveWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "core/Log.h"
#include "storage/ArchiveFormat.h"
#include "storage/Streams.h"

namespace PM {

namespace AF = ArchiveFormat;

namespace {
// Offsets from the start of the archive of the values Finish fills in.
constexpr int64_t kArchLengthAt = AF::kIdSize;
constexpr int64_t kCountAt = AF::kHeaderSize * 2 + 4;
constexpr int64_t kDataLengthAt = AF::kHeaderSize * 2 + AF::kIndexSize + AF::kIdSize;
constexpr int64_t kDataStart = kDataLengthAt + 4;

void PutHeader(std::vector<uint8_t>& out, const char* tag, uint32_t length) {
  size_t at = out.size();
  out.resize(at + AF::kHeaderSize);
  AF::PutId(out.data() + at, tag);
  AF::PutU32(out.data() + at + AF::kIdSize, length);
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  out.resize(out.size() + 4);
  AF::PutU32(out.data() + out.size() - 4, v);
}
void PutName(std::vector<uint8_t>& out, const std::string& name) {
  out.push_back(uint8_t(name.size()));
  out.push_back(uint8_t(name.size() >> 8));
  out.insert(out.end(), name.begin(), name.end());
}
}  // namespace

ArchiveWriter::ArchiveWriter(const StreamPipeRef& target, const String& name) : m_target(target), m_name(name) {
  m_base = Position();
  std::vector<uint8_t> head;
  PutHeader(head, AF::kArch, 0);
  PutHeader(head, AF::kIndx, AF::kIndexSize);
  for (uint32_t v : {AF::kVersion, 0u, 0u}) PutU32(head, v);
  PutHeader(head, AF::kData, 0);
  if (m_base < 0 || !WriteAll(head.data(), int64_t(head.size())))
    Fail(kArchiveEWriteFailed, "the target cannot be written or cannot seek");
}

ArchiveWriter::~ArchiveWriter() {
  if (!m_finished) Finish();
}

template <class... A>
ResultCode ArchiveWriter::Fail(ResultCode code, const A&... parts) {
  LogError("ArchiveWriter: ", ResultCodeName(code), ": ", m_name, ": ", parts...);
  if (m_result == kArchiveOk) m_result = code;
  return code;
}

bool ArchiveWriter::WriteAll(const void* bytes, int64_t n) { return n == 0 || m_target->Write(bytes, n) == n; }

bool ArchiveWriter::PatchU32(int64_t at, uint32_t value) {
  uint8_t b[4];
  AF::PutU32(b, value);
  return m_target->Seek(m_base + at, kSeekStart) == m_base + at && WriteAll(b, 4);
}

ResultCode ArchiveWriter::AddFile(const String& innerPath, const void* bytes, size_t n, uint32_t method) {
  if (m_result != kArchiveOk || m_finished) return m_result != kArchiveOk ? m_result : kArchiveEWriteFailed;
  if (method > AF::kDeflate) return Fail(kArchiveECorrupt, "unknown method ", method, " for \"", innerPath, "\"");
  // Find or create the folders, then check the file's own name.
  std::vector<Node>* level = &m_root;
  std::string_view rest = innerPath.View();
  for (;;) {
    size_t slash = rest.find('/');
    std::string part(rest.substr(0, slash));
    if (!AF::IsSafeName(part.data(), part.size()))
      return Fail(kArchiveEBadName, "the path \"", innerPath, "\" has an empty or unsafe part");
    auto it = std::find_if(level->begin(), level->end(), [&](const Node& c) { return c.name == part; });
    if (slash == std::string_view::npos) {
      if (it != level->end()) return Fail(kArchiveEBadName, "the path \"", innerPath, "\" is already taken");
      break;
    }
    if (it != level->end() && !it->isDir)
      return Fail(kArchiveEBadName, "the path \"", innerPath, "\" runs through a file");
    if (it == level->end()) it = level->insert(level->end(), Node{part, true, {}, {}});
    level = &it->children;
    rest.remove_prefix(slash + 1);
  }

  // The format records 32-bit sizes: refuse a larger file before a byte of it is written.
  if (n > UINT32_MAX) return Fail(kArchiveEOversized, "the data passes 4 GiB at \"", innerPath, "\"");
  int64_t start = Position();
  if (method == AF::kStored) {
    if (!WriteAll(bytes, int64_t(n))) return Fail(kArchiveEWriteFailed, "writing \"", innerPath, "\" failed");
  } else {
    StreamPipeRef deflate(NewDeflateWriter(m_target));
    if (deflate.IsNull() || deflate->Write(bytes, int64_t(n)) != int64_t(n))
      return Fail(kArchiveEWriteFailed, "deflating \"", innerPath, "\" failed");
  }  // the deflate writer finishes its stream when released
  int64_t end = Position();
  int64_t offset = start - m_base - kDataStart;
  if (start < 0 || end < start || end - m_base - kDataStart > int64_t(UINT32_MAX))
    return Fail(kArchiveEOversized, "the data passes 4 GiB at \"", innerPath, "\"");
  uint32_t crc = uint32_t(crc32(0, nullptr, 0));
  for (size_t done = 0; done < n;) {
    uInt part = uInt(std::min<size_t>(n - done, 1u << 30));
    crc = uint32_t(crc32(crc, static_cast<const Bytef*>(bytes) + done, part));
    done += part;
  }
  Archive::Entry e{offset, end - start, int64_t(n), crc, method};
  level->push_back(Node{std::string(rest), false, e, {}});
  m_dataLength = end - m_base - kDataStart;
  ++m_fileCount;
  return kArchiveOk;
}

void ArchiveWriter::PutTree(const std::vector<Node>& nodes, std::vector<uint8_t>& out) {
  for (const Node& node : nodes) {
    size_t at = out.size();
    PutHeader(out, node.isDir ? AF::kSdir : AF::kFile, 0);
    PutName(out, node.name);
    if (node.isDir) {
      PutTree(node.children, out);
    } else {
      const Archive::Entry& e = node.entry;
      for (uint32_t v : {uint32_t(e.offset), uint32_t(e.storedSize), uint32_t(e.originalSize), e.crc, e.method})
        PutU32(out, v);
    }
    AF::PutU32(out.data() + at + AF::kIdSize, uint32_t(out.size() - at - AF::kHeaderSize));
  }
}

ResultCode ArchiveWriter::Finish() {
  if (m_finished) return m_result;
  m_finished = true;
  if (m_result != kArchiveOk) return m_result;
  std::vector<uint8_t> tree;
  PutHeader(tree, AF::kTree, 0);
  PutTree(m_root, tree);
  uint32_t treeLength = uint32_t(tree.size() - AF::kHeaderSize);
  AF::PutU32(tree.data() + AF::kIdSize, treeLength);
  int64_t archLength = kDataStart - AF::kHeaderSize + m_dataLength + int64_t(tree.size());
  if (treeLength > AF::kMaxTreeBytes || archLength > int64_t(UINT32_MAX))
    return Fail(kArchiveEOversized, "the archive passes the format's limits");
  if (m_target->Seek(m_base + kDataStart + m_dataLength, kSeekStart) < 0 ||
      !WriteAll(tree.data(), int64_t(tree.size())) || !PatchU32(kArchLengthAt, uint32_t(archLength)) ||
      !PatchU32(kCountAt, m_fileCount) || !PatchU32(kDataLengthAt, uint32_t(m_dataLength)) ||
      m_target->Seek(m_base + AF::kHeaderSize + archLength, kSeekStart) < 0 || m_target->Flush() < 0)
    return Fail(kArchiveEWriteFailed, "writing the tree and lengths failed");
  return kArchiveOk;
}

}  // namespace PM
