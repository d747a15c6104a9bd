#include "storage/ZipWriter.h"

#include <minizip/zip.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "core/Log.h"
#include "storage/Streams.h"
#include "storage/ZipArchive.h"
#include "storage/ZipStreamIO.h"
#include "storage/ZipTrailer.h"

namespace PM {

namespace {
constexpr size_t kChunk = 1 << 20;  // zipWriteInFileInZip takes 32-bit lengths
}

ResultCode ZipWriter::Fail(ResultCode code, const char* what, const char* name) {
  LogError("ZipWriter: ", ResultCodeName(code), ": ", m_label, ": ", what, name ? " \"" : "", name ? name : "",
           name ? "\"" : "", ".");
  if (m_failure == SOK && code != EInvalidArgument && code != EZipUnsafeName) m_failure = code;
  return code;
}

ResultCode ZipWriter::CreateFile(const char* path) {
  Close();
  StreamPipeRef file(OpenFileStream(path, kModeRead | kModeWriteNew));
  if (file.IsNull()) {
    m_label = path ? path : "(null)";
    return Fail(EZipWrite, "the file cannot be created");
  }
  ResultCode code = Create(file);
  m_label = path;
  return code;
}

ResultCode ZipWriter::Create(const StreamPipeRef& target) {
  Close();
  m_label = "(stream)";
  m_failure = SOK;
  if (target.IsNull()) return Fail(EInvalidArgument, "no target stream");
  zlib_filefunc64_def io;
  FillZipStreamIO(&io, target.Get());
  m_zip = zipOpen2_64("zip", APPEND_STATUS_CREATE, nullptr, &io);
  if (!m_zip) return Fail(EZipWrite, "the archive cannot be started");
  m_target = target;
  return SOK;
}

ResultCode ZipWriter::Begin(const char* name, int level, bool zip64) {
  if (!m_zip) return Fail(ENotOpen, "no archive is being written");
  if (!name || !IsSafeZipName(name, std::strlen(name))) return Fail(EZipUnsafeName, "unsafe member name", name);
  if (level < 0 || level > 9) return Fail(EInvalidArgument, "compression level out of range for", name);
  zip_fileinfo info{};
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  info.tmz_date = {uInt(local.tm_sec),  uInt(local.tm_min), uInt(local.tm_hour),
                   uInt(local.tm_mday), uInt(local.tm_mon), uInt(local.tm_year + 1900)};
  int r = zipOpenNewFileInZip3_64(m_zip, name, &info, nullptr, 0, nullptr, 0, nullptr, level ? Z_DEFLATED : 0, level, 0,
                                  -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, zip64);
  return r == ZIP_OK ? SOK : Fail(EZipWrite, "the member cannot be started", name);
}

ResultCode ZipWriter::AddMember(const char* name, const void* bytes, size_t n, int level) {
  ResultCode code = Begin(name, level, n >= 0xFFFFFFFFu);
  if (code != SOK) return code;
  const char* p = static_cast<const char*>(bytes);
  for (size_t done = 0; done < n && code == SOK; done += kChunk) {
    unsigned piece = unsigned(std::min(kChunk, n - done));
    if (zipWriteInFileInZip(m_zip, p + done, piece) != ZIP_OK) code = Fail(EZipWrite, "cannot write", name);
  }
  if (zipCloseFileInZip(m_zip) != ZIP_OK && code == SOK) code = Fail(EZipWrite, "cannot finish", name);
  return code;
}

ResultCode ZipWriter::AddMemberFrom(const char* name, const StreamPipeRef& source, int level) {
  ResultCode code = Begin(name, level, source->GetFileLength() >= 0xFFFFFFFFll);
  if (code != SOK) return code;
  std::vector<char> buf(kChunk);
  for (int64_t n; code == SOK && (n = source->Read(buf.data(), int64_t(buf.size()))) != 0;) {
    if (n < 0)
      code = Fail(EZipWrite, "the source stream failed for", name);
    else if (zipWriteInFileInZip(m_zip, buf.data(), unsigned(n)) != ZIP_OK)
      code = Fail(EZipWrite, "cannot write", name);
  }
  if (zipCloseFileInZip(m_zip) != ZIP_OK && code == SOK) code = Fail(EZipWrite, "cannot finish", name);
  return code;
}

ResultCode ZipWriter::AddDirectory(const char* name) {
  if (!name) return Fail(EInvalidArgument, "no directory name");
  String dir(name);
  if (dir.IsEmpty() || dir[dir.Length() - 1] != '/') dir.AppendChar('/');
  return AddMember(dir.CStr(), nullptr, 0, 0);
}

ResultCode ZipWriter::Close() {
  if (!m_zip) return SOK;
  // The comment is written with a placeholder crc, then patched once the bytes in front are known.
  char trailer[kZipTrailerSize + 1] = {};
  FormatZipTrailer(0, trailer);
  bool closed = zipClose(m_zip, trailer) == ZIP_OK;
  m_zip = nullptr;
  StreamPipeRef target = m_target;
  m_target = StreamPipeRef();
  if (!closed) Fail(EZipWrite, "the central directory cannot be written");
  if (m_failure != SOK) return m_failure;
  int64_t length = target->GetFileLength();
  uint32_t crc = 0;
  if (length < kZipTrailerSize + kZipEndRecordSize || !CrcOfStreamPrefix(target.Get(), length - kZipTrailerSize, &crc))
    return Fail(EZipWrite, "the archive cannot be read back for its crc32");
  FormatZipTrailer(crc, trailer);
  target->Lock();
  bool patched = target->Seek(length - kZipTrailerSize, kSeekStart) == length - kZipTrailerSize &&
                 target->Write(trailer, kZipTrailerSize) == kZipTrailerSize && target->Flush() >= 0;
  target->Unlock();
  return patched ? SOK : Fail(EZipWrite, "the integrity trailer cannot be written");
}

}  // namespace PM
