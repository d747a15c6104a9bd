#include "storage/Archive.h"

#include <libdeflate.h>

#include <memory>
#include <string>
#include <unordered_set>

#include "core/Log.h"
#include "platform/InertText.h"
#include "storage/ArchiveEntryStream.h"
#include "storage/ArchiveFormat.h"
#include "storage/StreamWindow.h"
#include "storage/Streams.h"

namespace PM {

namespace AF = ArchiveFormat;

// Reads and checks the index of one archive: ARCH { INDX, DATA (header only), TREE }.
class ArchiveIndexReader {
 public:
  ArchiveIndexReader(Archive& archive, StreamPipe* stream) : m_a(archive), m_s(stream) {}

  uint32_t Run() {
    int64_t fileLength = m_s->GetFileLength();
    uint8_t h[AF::kHeaderSize];
    if (fileLength < AF::kHeaderSize || !ReadExact(h, AF::kHeaderSize) || !AF::IsId(h, AF::kArch))
      return Fail(kArchiveENotArchive, "it does not begin with an ARCH chunk");
    int64_t archLength = AF::GetU32(h + AF::kIdSize);
    if (archLength > fileLength - AF::kHeaderSize)
      return Fail(kArchiveETruncated, "the ARCH chunk states ", archLength, " bytes but the file holds ",
                  fileLength - AF::kHeaderSize);
    if (archLength < fileLength - AF::kHeaderSize)
      return Fail(kArchiveEOversized, "the file runs ", fileLength - AF::kHeaderSize - archLength,
                  " bytes past its ARCH chunk");
    int64_t end = fileLength;

    uint32_t length = 0;
    if (uint32_t r = ReadHeader(AF::kIndx, end, length)) return r;
    uint8_t index[AF::kIndexSize];
    if (length != AF::kIndexSize) return Fail(kArchiveECorrupt, "the INDX chunk holds ", length, " bytes, not 12");
    if (!ReadExact(index, AF::kIndexSize)) return Fail(kArchiveETruncated, "the INDX chunk is cut short");
    uint32_t version = AF::GetU32(index), count = AF::GetU32(index + 4), flags = AF::GetU32(index + 8);
    if (version != AF::kVersion || flags != 0)
      return Fail(kArchiveEBadVersion, "version ", version, " flags ", flags,
                  " (this reader knows version 1, flags 0)");

    if (uint32_t r = ReadHeader(AF::kData, end, length)) return r;
    m_a.m_dataStart = m_pos;
    m_dataLength = length;
    m_pos += length;  // ReadHeader saw that it fits

    if (uint32_t r = ReadHeader(AF::kTree, end, length)) return r;
    if (m_pos + length != end) return Fail(kArchiveECorrupt, "the TREE chunk does not end the ARCH chunk");
    if (length > AF::kMaxTreeBytes)
      return Fail(kArchiveEOversized, "the TREE chunk holds ", length, " bytes (at most ", AF::kMaxTreeBytes, ")");
    m_tree.resize(length);
    if (!ReadExact(m_tree.data(), length)) return Fail(kArchiveETruncated, "the TREE chunk is cut short");
    if (uint32_t r = ReadChildren(0, length, std::string(), 0)) return r;
    if (m_a.m_entries.size() != count)
      return Fail(kArchiveECorrupt, "the INDX chunk counts ", count, " files but the tree holds ",
                  uint32_t(m_a.m_entries.size()));
    m_a.m_verified = std::vector<std::atomic<uint8_t>>(m_a.m_order.size());
    return kArchiveOk;
  }

 private:
  template <class... A>
  ResultCode Fail(ResultCode code, const A&... parts) {
    LogError("Archive: ", ResultCodeName(code), ": ", m_a.m_name, ": ", parts...);
    return code;
  }

  bool ReadExact(void* out, int64_t n) {
    if (m_s->ReadAt(m_pos, out, n) != n) return false;
    m_pos += n;
    return true;
  }

  // The next top-level chunk header, which must carry `tag` and fit before `end`.
  uint32_t ReadHeader(const char* tag, int64_t end, uint32_t& length) {
    uint8_t h[AF::kHeaderSize];
    int64_t at = m_pos;
    if (end - m_pos < AF::kHeaderSize || !ReadExact(h, AF::kHeaderSize))
      return Fail(kArchiveETruncated, "the ", tag, " chunk is missing at offset ", at);
    if (!AF::IsId(h, tag)) return Fail(kArchiveECorrupt, "expected the ", tag, " chunk at offset ", at);
    length = AF::GetU32(h + AF::kIdSize);
    if (length > end - m_pos)
      return Fail(kArchiveETruncated, "the ", tag, " chunk at offset ", at, " runs past the archive's end");
    return kArchiveOk;
  }

  // The SDIR and FILE chunks in m_tree[begin, end), under the folder `prefix` ("" or "a/b/").
  uint32_t ReadChildren(uint32_t begin, uint32_t end, const std::string& prefix, int depth) {
    for (uint32_t at = begin; at < end;) {
      const uint8_t* c = m_tree.data() + at;
      if (end - at < uint32_t(AF::kHeaderSize))
        return Fail(kArchiveETruncated, "a tree chunk header at tree offset ", at, " runs past its parent");
      uint32_t length = AF::GetU32(c + AF::kIdSize);
      uint32_t body = at + AF::kHeaderSize;
      if (length > end - body)
        return Fail(kArchiveECorrupt, "the tree chunk at tree offset ", at, " (", length,
                    " bytes) runs past its parent");
      bool isDir = AF::IsId(c, AF::kSdir);
      if (!isDir && !AF::IsId(c, AF::kFile))
        return Fail(kArchiveECorrupt, "an unknown chunk at tree offset ", at, " (only SDIR and FILE)");
      if (length < 2 || AF::GetU16(m_tree.data() + body) > length - 2)
        return Fail(kArchiveECorrupt, "the name of the tree chunk at tree offset ", at, " runs past it");
      uint32_t nameLength = AF::GetU16(m_tree.data() + body);
      const char* name = reinterpret_cast<const char*>(m_tree.data() + body + 2);
      if (!AF::IsSafeName(name, nameLength))
        return Fail(kArchiveEBadName, "an unsafe or empty name at tree offset ", at);
      std::string path = prefix + std::string(name, nameLength);
      uint32_t rest = body + 2 + nameLength, next = body + length;
      if (isDir) {
        if (depth >= AF::kMaxDepth) return Fail(kArchiveECorrupt, "folders nest deeper than ", AF::kMaxDepth);
        if (!m_dirs.insert(path).second || m_a.m_entries.count(path))
          return Fail(kArchiveEBadName, "the name \"", path.c_str(), "\" appears twice");
        if (uint32_t r = ReadChildren(rest, next, path + "/", depth + 1)) return r;
      } else {
        if (next - rest != uint32_t(AF::kFileFixedSize))
          return Fail(kArchiveECorrupt, "the FILE chunk of \"", path.c_str(), "\" has ", next - rest,
                      " bytes after its name, not 20");
        const uint8_t* f = m_tree.data() + rest;
        Archive::Entry e{AF::GetU32(f), AF::GetU32(f + 4), AF::GetU32(f + 8), AF::GetU32(f + 12), AF::GetU32(f + 16)};
        if (e.offset + e.storedSize > m_dataLength)
          return Fail(kArchiveECorrupt, "the data of \"", path.c_str(), "\" lies past the end of the DATA chunk");
        // Deflate expands at most about 1032 to 1, so a larger original size is a lie (and an allocation).
        if (e.method > AF::kDeflate || (e.method == AF::kStored && e.storedSize != e.originalSize) ||
            (e.method == AF::kDeflate && e.originalSize > e.storedSize * 1032 + 1024))
          return Fail(kArchiveECorrupt, "\"", path.c_str(), "\" has method ", e.method, " with sizes ", e.storedSize,
                      " and ", e.originalSize);
        e.index = uint32_t(m_a.m_order.size());
        if (m_dirs.count(path) || !m_a.m_entries.emplace(path, e).second)
          return Fail(kArchiveEBadName, "the name \"", path.c_str(), "\" appears twice");
        m_a.m_order.push_back(std::move(path));
      }
      at = next;
    }
    return kArchiveOk;
  }

  Archive& m_a;
  StreamPipe* m_s;
  int64_t m_pos = 0;
  int64_t m_dataLength = 0;
  std::vector<uint8_t> m_tree;
  std::unordered_set<std::string> m_dirs;
};

Ptr<Archive> Archive::Open(const String& path, ResultCode* result) {
  std::string file(path.CStr());
  return OpenWith(
      path, [file] { return OpenFileStream(file.c_str(), kModeRead | kModeQuiet); }, result);
}

Ptr<Archive> Archive::OpenWith(const String& name, Opener opener, ResultCode* result) {
  ResultCode ignored;
  ResultCode& code = result ? *result : ignored;
  StreamPipeRef stream(opener());
  if (stream.IsNull()) {
    code = kArchiveENotFound;
    return nullptr;
  }
  Ptr<Archive> archive(NewCounted<Archive>(name, std::move(opener)));
  archive->m_file = stream;
  archive->m_length = stream->GetFileLength();
  stream->GetFileTime(nullptr, nullptr, &archive->m_lastWrite);
  code = ArchiveIndexReader(*archive, stream.Get()).Run();
  if (code != kArchiveOk) return nullptr;
  return archive;
}

const Archive::Entry* Archive::Find(std::string_view innerPath) const {
  auto it = m_entries.find(std::string(innerPath));
  return it == m_entries.end() ? nullptr : &it->second;
}

bool Archive::ChangedOnDisk() const {
  int64_t lastWrite = 0;
  m_file->GetFileTime(nullptr, nullptr, &lastWrite);
  return m_file->GetFileLength() != m_length || lastWrite != m_lastWrite;
}

StreamPipe* Archive::OpenFile(std::string_view innerPath, bool quiet) const {
  const Entry* e = Find(innerPath);
  if (!e) {
    if (!quiet)
      LogError("Archive: ENotFound: ", InertText(m_name.View()).c_str(), ": no file \"", InertText(innerPath).c_str(),
               "\" in the archive");
    return NullPipe();
  }
  return NewEntryStream(*e, innerPath);
}

bool Archive::InflatesWhole(const Entry& e) {
  // Deflate's stored blocks add 5 bytes per 64 KiB; more deflate data than that is no whole-file candidate.
  return e.method == ArchiveFormat::kDeflate && e.originalSize <= kWholeInflateLimit &&
         e.storedSize <= e.originalSize + e.originalSize / 8 + 1024;
}

namespace {

// One decompressor per thread, made on first use.
struct Decompressor {
  libdeflate_decompressor* d = nullptr;
  ~Decompressor() {
    if (d) libdeflate_free_decompressor(d);
  }
  libdeflate_decompressor* Get() {
    if (!d) d = libdeflate_alloc_decompressor();
    if (!d) OutOfMemory(sizeof(void*));
    return d;
  }
};

}  // namespace

ResultCode Archive::Unpack(const Entry& e, uint8_t* out, const char** what) const {
  static const char* kShort = "its data ends before its recorded length";
  int64_t at = m_dataStart + e.offset;
  if (e.method == ArchiveFormat::kStored) {
    if (m_file->ReadAt(at, out, e.originalSize) == e.originalSize) return kArchiveOk;
    *what = kShort;
    return kArchiveETruncated;
  }
  std::unique_ptr<uint8_t[]> packed(new uint8_t[size_t(e.storedSize) + 1]);
  if (m_file->ReadAt(at, packed.get(), e.storedSize) != e.storedSize) {
    *what = kShort;
    return kArchiveETruncated;
  }
  thread_local Decompressor decompressor;
  uint8_t none;
  size_t made = 0;
  libdeflate_result r = libdeflate_zlib_decompress(decompressor.Get(), packed.get(), size_t(e.storedSize),
                                                   e.originalSize ? out : &none, size_t(e.originalSize), &made);
  if (r == LIBDEFLATE_SUCCESS && made == size_t(e.originalSize)) return kArchiveOk;
  if (r == LIBDEFLATE_SUCCESS) {
    *what = kShort;
    return kArchiveETruncated;
  }
  *what = r == LIBDEFLATE_INSUFFICIENT_SPACE ? "its data is longer than its recorded length"
                                             : "its deflate data is damaged";
  return kArchiveECorrupt;
}

ArchiveEntryStream* Archive::NewEntryStream(const Entry& e, std::string_view innerPath) const {
  Ptr<Archive> self(const_cast<Archive*>(this));  // archives live in counted blocks (Open makes them)
  bool whole = InflatesWhole(e);
  StreamPipeRef data(NewCounted<StreamWindow>(m_file, m_dataStart + e.offset, e.storedSize));
  if (e.method == ArchiveFormat::kDeflate && !whole) data = NewInflateReader(data, e.storedSize);
  auto* s = NewCounted<ArchiveEntryStream>(self, e, data, whole, String(innerPath), &m_verified[e.index]);
  // Read through the one open file, an archive rewritten in place would hand out other bytes.
  if (ChangedOnDisk()) s->FailNow(kArchiveETruncated, "the archive changed on disk after it was opened");
  return s;
}

ResultCode Archive::ReadFile(std::string_view innerPath, std::vector<uint8_t>& out) const {
  out.clear();
  const Entry* e = Find(innerPath);
  if (!e) return kArchiveENotFound;
  ArchiveEntryStream* entry = NewEntryStream(*e, innerPath);
  StreamPipeRef s(entry);
  out.resize(size_t(e->originalSize));
  int64_t got = 0;
  while (got < int64_t(out.size())) {
    int64_t r = s->Read(out.data() + got, int64_t(out.size()) - got);
    if (r <= 0) break;
    got += r;
  }
  if (out.empty()) {
    uint8_t probe;  // an empty file still has its length and crc checked
    s->Read(&probe, 1);
  }
  if (entry->Failure() != kArchiveOk || got != int64_t(out.size())) {
    out.clear();
    return entry->Failure() != kArchiveOk ? entry->Failure() : kArchiveETruncated;
  }
  return kArchiveOk;
}

}  // namespace PM
