#include "storage/ZipArchive.h"

#include <fcntl.h>
#include <minizip/unzip.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_set>

#include "core/Log.h"
#include "platform/SafeFile.h"
#include "storage/FileStream.h"
#include "storage/Streams.h"
#include "storage/ZipMemberStream.h"
#include "storage/ZipStreamIO.h"
#include "storage/ZipTrailer.h"

namespace PM {

namespace {

struct Unz {
  unzFile f = nullptr;
  ~Unz() {
    if (f) unzClose(f);
  }
};

constexpr uLong kFlagEncrypted = 1;

struct Descriptor {
  int fd;
  explicit Descriptor(int f) : fd(f) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
};

// The path components a member name stands for: empty and "." components dropped.
std::vector<std::string_view> NameParts(std::string_view name) {
  std::vector<std::string_view> parts;
  for (size_t start = 0; start <= name.size();) {
    size_t end = std::min(name.find('/', start), name.size());
    std::string_view part = name.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// One spelling per file the member lands on, to find two members that would write the same file.
std::string NameKey(std::string_view name) {
  std::string key;
  for (std::string_view part : NameParts(name)) key.append(part).push_back('/');
  return key;
}

// Whether the local header before the data at `dataAt` carries exactly `name` (with the extra field
// of `extra` bytes minizip found there).
bool LocalNameMatches(StreamPipe* source, int64_t dataAt, int extra, const char* name, uint64_t nameLength) {
  constexpr int64_t kLocalHeaderSize = 30;
  if (extra < 0) return false;
  int64_t at = dataAt - extra - int64_t(nameLength) - kLocalHeaderSize;
  if (at < 0) return false;
  std::vector<unsigned char> header(size_t(kLocalHeaderSize) + nameLength);
  if (source->ReadAt(at, header.data(), int64_t(header.size())) != int64_t(header.size())) return false;
  auto le16 = [&](size_t i) { return uint64_t(header[i]) | uint64_t(header[i + 1]) << 8; };
  return std::memcmp(header.data(), "PK\x03\x04", 4) == 0 && le16(26) == nameLength && le16(28) == uint64_t(extra) &&
         std::memcmp(header.data() + kLocalHeaderSize, name, nameLength) == 0;
}

}  // namespace

bool IsSafeZipName(const char* name, size_t length) {
  if (length == 0 || std::strlen(name) != length) return false;
  if (name[0] == '/' || name[0] == '\\') return false;
  if (length >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':') return false;
  size_t start = 0;
  for (size_t i = 0; i <= length; ++i) {
    if (i < length && static_cast<unsigned char>(name[i]) < 0x20) return false;
    if (i == length || name[i] == '/' || name[i] == '\\') {
      if (std::string_view(name + start, i - start) == "..") return false;
      start = i + 1;
    }
  }
  return true;
}

ResultCode ZipArchive::Fail(ResultCode code, const char* what, const String& detail) {
  LogError("ZipArchive: ", ResultCodeName(code), ": ", m_label, ": ", what, detail, ".");
  m_source = StreamPipeRef();
  m_members.clear();
  m_hasTrailer = false;
  return code;
}

void ZipArchive::Close() {
  m_label = String();
  m_source = StreamPipeRef();
  m_members.clear();
  m_hasTrailer = false;
}

ResultCode ZipArchive::OpenFile(const char* path, const ZipOpenOptions& options) {
  Close();
  m_label = path ? path : "(null)";
  StreamPipeRef file(OpenFileStream(path, kModeRead));
  if (file.IsNull()) return Fail(ENotFound, "the archive cannot be opened");
  return OpenSource(file, options);
}

ResultCode ZipArchive::Open(const StreamPipeRef& source, const ZipOpenOptions& options) {
  Close();
  m_label = "(stream)";
  return OpenSource(source, options);
}

ResultCode ZipArchive::OpenSource(const StreamPipeRef& source, const ZipOpenOptions& options) {
  if (source.IsNull()) return Fail(EInvalidArgument, "no source stream");
  switch (CheckZipTrailer(source.Get())) {
    case ZipTrailerState::Unreadable:
      return Fail(EZipFormat, "the archive cannot be read");
    case ZipTrailerState::Damaged:
      return Fail(EZipBadTrailer, "the integrity trailer is damaged");
    case ZipTrailerState::Mismatch:
      return Fail(EZipChecksum, "the archive's bytes do not match the crc32 of its integrity trailer");
    case ZipTrailerState::Valid:
      m_hasTrailer = true;
      break;
    case ZipTrailerState::Missing:
      break;
  }
  m_source = source;
  return ReadDirectory(options);
}

ResultCode ZipArchive::ReadDirectory(const ZipOpenOptions& options) {
  bool hasTrailer = m_hasTrailer;
  int64_t length = m_source->GetFileLength();
  zlib_filefunc64_def io;
  FillZipStreamIO(&io, m_source.Get());
  Unz unz;
  unz.f = unzOpen2_64("zip", &io);
  if (!unz.f) return Fail(EZipFormat, "not a zip archive, truncated, or its directory lies past the end");
  if (!hasTrailer) {
    unz_global_info64 global;
    if (unzGetGlobalInfo64(unz.f, &global) != UNZ_OK) return Fail(EZipFormat, "the end record is damaged");
    std::vector<char> comment(global.size_comment + 1, 0);
    if (unzGetGlobalComment(unz.f, comment.data(), uLong(comment.size())) > 0 &&
        std::string_view(comment.data(), global.size_comment).find("PELMORAZIP") != std::string_view::npos)
      return Fail(EZipBadTrailer, "the integrity trailer is not at the end of the archive");
    // The end record must close the archive: a missing tail or bytes after it mean damage.
    unsigned char end[4] = {};
    if (m_source->ReadAt(length - kZipEndRecordSize - int64_t(global.size_comment), end, 4) != 4 ||
        std::memcmp(end, "PK\x05\x06", 4) != 0)
      return Fail(EZipFormat, "the archive is truncated or has bytes after its end record");
    if (!options.acceptMissingTrailer) return Fail(EZipNoTrailer, "the archive has no integrity trailer");
  }
  int64_t total = 0;
  std::vector<char> name;
  std::unordered_set<std::string> keys;
  for (int r = unzGoToFirstFile(unz.f); r != UNZ_END_OF_LIST_OF_FILE; r = unzGoToNextFile(unz.f)) {
    unz_file_info64 info;
    if (r != UNZ_OK || unzGetCurrentFileInfo64(unz.f, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
      return Fail(EZipFormat, "the central directory is damaged");
    name.assign(info.size_filename + 1, 0);
    unzGetCurrentFileInfo64(unz.f, &info, name.data(), uLong(name.size()), nullptr, 0, nullptr, 0);
    String memberName(name.data(), int(std::strlen(name.data())));
    String quoted = String::FromConcatCStr(String::FromCStrConcat(" \"", memberName), "\"");
    if (!IsSafeZipName(name.data(), info.size_filename))
      return Fail(EZipUnsafeName, "a member name leaves the folder it is extracted into:", quoted);
    if (info.flag & kFlagEncrypted) return Fail(EZipFormat, "encrypted members are not supported:", quoted);
    if (info.compression_method != 0 && info.compression_method != Z_DEFLATED)
      return Fail(EZipFormat, "the compression method is not supported:", quoted);
    int64_t size = int64_t(info.uncompressed_size), packed = int64_t(info.compressed_size);
    if (size < 0 || packed < 0 || (info.compression_method == 0 && size != packed))
      return Fail(EZipBadMember, "the member's sizes disagree:", quoted);
    total += size;
    if (size > options.maxMemberSize || total > options.maxTotalSize)
      return Fail(EZipBomb, "the declared size is above the limit:", quoted);
    if (options.maxRatio > 0 && size > options.ratioFloor && size / options.maxRatio > packed)
      return Fail(EZipBomb, "the compression ratio is above the limit:", quoted);
    // The local header must agree with the directory and the data must lie inside the archive.
    if (unzOpenCurrentFile(unz.f) != UNZ_OK)
      return Fail(EZipFormat, "the member's local header is missing or damaged:", quoted);
    int64_t dataAt = int64_t(unzGetCurrentFileZStreamPos64(unz.f));
    int localExtra = unzGetLocalExtrafield(unz.f, nullptr, 0);
    unzCloseCurrentFile(unz.f);
    if (dataAt + packed > length) return Fail(EZipFormat, "the member's data runs past the end:", quoted);
    // A reader that trusts the local name and one that trusts the directory must see the same file.
    if (!LocalNameMatches(m_source.Get(), dataAt, localExtra, name.data(), info.size_filename))
      return Fail(EZipBadMember, "the member's local header names another file than the directory:", quoted);
    if (!keys.insert(NameKey(memberName.View())).second)
      return Fail(EZipBadMember, "two members have one name:", quoted);
    unz64_file_pos at;
    unzGetFilePos64(unz.f, &at);
    m_members.push_back(ZipMember{memberName, packed, size, uint32_t(info.crc), int(info.compression_method),
                                  memberName.Length() > 0 && memberName[memberName.Length() - 1] == '/',
                                  at.pos_in_zip_directory, at.num_of_file});
  }
  return SOK;
}

int ZipArchive::FindMember(const char* name) const {
  for (size_t i = 0; i < m_members.size(); ++i)
    if (m_members[i].name.EqualsCStr(name)) return int(i);
  return -1;
}

StreamPipe* ZipArchive::OpenMember(int index, ResultCode* result) const {
  ResultCode code = SOK;
  StreamPipe* stream = NullPipe();
  if (!IsOpen()) {
    code = ENotOpen;
    LogError("ZipArchive: ", m_label, ": no archive is open.");
  } else if (index < 0 || index >= MemberCount()) {
    code = ENotFound;
    LogError("ZipArchive: ", m_label, ": no member ", int32_t(index), ".");
  } else {
    auto* member = NewCounted<ZipMemberStream>(m_source, m_members[size_t(index)]);
    code = member->Start();
    if (code == SOK) {
      stream = member;
    } else {
      BlockAddRef(member);  // frees the new stream
      BlockRelease(member);
    }
  }
  if (result) *result = code;
  return stream;
}

StreamPipe* ZipArchive::OpenMember(const char* name, ResultCode* result) const {
  int index = FindMember(name ? name : "");
  if (index < 0 && IsOpen()) {
    LogError("ZipArchive: ", m_label, ": no member \"", name ? name : "(null)", "\".");
    if (result) *result = ENotFound;
    return NullPipe();
  }
  return OpenMember(index, result);
}

ResultCode ZipArchive::ExtractAll(const char* folder) const {
  if (!IsOpen()) {
    LogError("ZipArchive: ", m_label, ": no archive is open.");
    return ENotOpen;
  }
  if (!folder) {
    LogError("ZipArchive: ", m_label, ": no folder to extract into.");
    return EInvalidArgument;
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  Descriptor root(::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (root.fd < 0) {
    LogError("ZipArchive: ", ResultCodeName(EZipWrite), ": the folder \"", folder, "\" cannot be made.");
    return EZipWrite;
  }
  std::vector<char> buf(1 << 16);
  for (const ZipMember& m : m_members) {
    ResultCode code = ExtractMember(root.fd, m, buf);
    if (code != SOK) return code;
  }
  return SOK;
}

// Walks the member's folders one at a time from the extraction folder, never following a link, so
// nothing in the folder (a symbolic link, a hard link, a file where a folder should be) can send
// the bytes anywhere else.
ResultCode ZipArchive::ExtractMember(int rootFd, const ZipMember& m, std::vector<char>& buf) const {
  auto refuse = [&](ResultCode code, const char* why, int error) {
    LogError("ZipArchive: ", ResultCodeName(code), ": member \"", m.name, "\" was not extracted: ", why,
             error ? OpenFailureText(error) : "", ".");
    return code;
  };
  std::vector<std::string_view> parts = NameParts(m.name.View());
  if (parts.empty()) return m.isDirectory ? SOK : refuse(EZipUnsafeName, "it names no file", 0);
  Descriptor dir(::dup(rootFd));
  size_t folders = m.isDirectory ? parts.size() : parts.size() - 1;
  for (size_t i = 0; i < folders; ++i) {
    std::string part(parts[i]);
    if (::mkdirat(dir.fd, part.c_str(), 0755) != 0 && errno != EEXIST)
      return refuse(EZipWrite, "its folder cannot be made: ", errno);
    Descriptor next(::openat(dir.fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (next.fd < 0 && (errno == ELOOP || errno == ENOTDIR))
      return refuse(EZipUnsafeName, "a link or a file is in the way of its folder", 0);
    if (next.fd < 0) return refuse(EZipWrite, "its folder cannot be opened: ", errno);
    std::swap(dir.fd, next.fd);
  }
  if (m.isDirectory) return SOK;
  ResultCode code = SOK;
  StreamPipeRef in(OpenMember(int(&m - m_members.data()), &code));
  if (code != SOK) return code;
  std::string file(parts.back());
  int error = 0;
  int fd = OpenRegularFileAt(dir.fd, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, error);
  if (fd < 0) {
    bool link = error == ELOOP || error == EMLINK;
    return refuse(link ? EZipUnsafeName : EZipWrite, "its file cannot be written: ", error);
  }
  {
    StreamPipeRef out(NewCounted<FileStream>(fd, uint32_t(kModeWriteNew), m.name.CStr()));
    for (int64_t n; code == SOK && (n = in->Read(buf.data(), int64_t(buf.size()))) != 0;) {
      if (n < 0)
        code = EZipBadMember;
      else if (out->Write(buf.data(), n) != n)
        code = EZipWrite;
    }
    if (code == SOK && out->Flush() < 0) code = EZipWrite;
  }
  if (code != SOK) {
    ::unlinkat(dir.fd, file.c_str(), 0);
    return refuse(code, "its bytes could not be copied", 0);
  }
  return SOK;
}

}  // namespace PM
