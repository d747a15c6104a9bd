#include "storage/ZipStreamIO.h"

#include <cstdio>

namespace PM {

namespace {

struct Handle {
  StreamPipeRef stream;
  int64_t pos = 0;
  bool failed = false;
};

voidpf ZCALLBACK Open(voidpf opaque, const void*, int) {
  return new Handle{StreamPipeRef(static_cast<StreamPipe*>(opaque))};
}

uLong ZCALLBACK Read(voidpf, voidpf h, void* buf, uLong size) {
  auto* f = static_cast<Handle*>(h);
  int64_t got = f->stream->ReadAt(f->pos, buf, int64_t(size));
  if (got < 0) {
    f->failed = true;
    return 0;
  }
  f->pos += got;
  return uLong(got);
}

uLong ZCALLBACK Write(voidpf, voidpf h, const void* buf, uLong size) {
  auto* f = static_cast<Handle*>(h);
  StreamPipe* s = f->stream.Get();
  s->Lock();
  int64_t put = 0;
  if (s->Seek(f->pos, kSeekStart) == f->pos) put = s->Write(buf, int64_t(size));
  s->Unlock();
  if (put != int64_t(size)) f->failed = true;
  if (put > 0) f->pos += put;
  return put > 0 ? uLong(put) : 0;
}

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf h) { return ZPOS64_T(static_cast<Handle*>(h)->pos); }

long ZCALLBACK Seek(voidpf, voidpf h, ZPOS64_T offset, int origin) {
  auto* f = static_cast<Handle*>(h);
  int64_t base = 0;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR)
    base = f->pos;
  else if (origin == ZLIB_FILEFUNC_SEEK_END)
    base = f->stream->GetFileLength();
  int64_t target = base + int64_t(offset);  // minizip passes backward offsets as wrapped unsigned values
  if (target < 0) return -1;
  f->pos = target;
  return 0;
}

int ZCALLBACK Close(voidpf, voidpf h) {
  delete static_cast<Handle*>(h);
  return 0;
}

int ZCALLBACK Error(voidpf, voidpf h) { return static_cast<Handle*>(h)->failed ? 1 : 0; }

}  // namespace

void FillZipStreamIO(zlib_filefunc64_def* def, StreamPipe* stream) {
  def->zopen64_file = Open;
  def->zread_file = Read;
  def->zwrite_file = Write;
  def->ztell64_file = Tell;
  def->zseek64_file = Seek;
  def->zclose_file = Close;
  def->zerror_file = Error;
  def->opaque = stream;
}

}  // namespace PM
