#include "import/Ac3dFile.h"

#include <cstdlib>
#include <cstring>

namespace PM::Import {

namespace {

// Lines of at most this many bytes; a longer one is cut, its rest read as lines of their own (AC3D
// keywords are at a line's start, so a cut name or data block only loses words we never read).
constexpr size_t kLine = 4096;

class Lines {
 public:
  explicit Lines(FILE* file) : m_file(file) {}
  bool Next() {
    if (!std::fgets(m_buffer, sizeof m_buffer, m_file)) return false;
    ++m_number;
    return true;
  }
  const char* Text() const { return m_buffer; }
  bool Starts(const char* word) const {
    const size_t n = std::strlen(word);
    return std::strncmp(m_buffer, word, n) == 0 && (m_buffer[n] == ' ' || m_buffer[n] == '\t' || m_buffer[n] == '\n' ||
                                                    m_buffer[n] == '\r' || m_buffer[n] == 0);
  }
  // The number after the keyword (`word` letters long), or false.
  bool Count(size_t word, uint64_t& n) const {
    char* end = nullptr;
    const unsigned long long v = std::strtoull(m_buffer + word, &end, 0);
    if (end == m_buffer + word) return false;
    n = v;
    return true;
  }
  // `count` numbers after the keyword (`word` letters long), or false.
  bool Floats(size_t word, float* v, int count) const {
    const char* at = m_buffer + word;
    for (int i = 0; i < count; ++i) {
      char* end = nullptr;
      v[i] = std::strtof(at, &end);
      if (end == at) return false;
      at = end;
    }
    return true;
  }
  uint64_t Number() const { return m_number; }

 private:
  FILE* m_file;
  char m_buffer[kLine];
  uint64_t m_number = 0;
};

std::string Quoted(const char* text) {
  const char* open = std::strchr(text, '"');
  if (!open) return "";
  const char* close = std::strchr(open + 1, '"');
  return close ? std::string(open + 1, close) : std::string(open + 1);
}

}  // namespace

bool ReadAc3d(FILE* file, Ac3dFile& out, std::string& error) {
  out = Ac3dFile();
  Lines in(file);
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(in.Number()) + ": " + why;
    return false;
  };
  if (!in.Next() || std::strncmp(in.Text(), "AC3D", 4) != 0) return fail("no AC3D header");
  int32_t current = -1;
  uint64_t surfaceKind = 0, surfaceFlags = 0;
  bool inSurface = false;
  // Closes the surface read so far, counting it for its object and, once its material is known, for that.
  auto closeSurface = [&](uint64_t material) {
    if (!inSurface || current < 0) return;
    Ac3dObject& o = out.objects[size_t(current)];
    if (surfaceKind == 0) {
      ++o.polygons;
      if (material < out.materials.size()) ++((surfaceFlags & 0x20) ? out.twoSided : out.oneSided)[material];
    } else {
      ++o.lines;
    }
    inSurface = false;
  };
  while (in.Next()) {
    uint64_t n = 0;
    if (in.Starts("MATERIAL")) {
      if (out.materials.size() >= kMaxAc3dItems) return fail("more materials than an import takes");
      out.materials.push_back(Quoted(in.Text()));
      out.oneSided.push_back(0);
      out.twoSided.push_back(0);
    } else if (in.Starts("OBJECT")) {
      closeSurface(~uint64_t{0});
      if (out.objects.size() >= kMaxAc3dItems) return fail("more objects than an import takes");
      current = int32_t(out.objects.size());
      out.objects.emplace_back();
    } else if (current < 0) {
      continue;
    } else if (in.Starts("name")) {
      out.objects[size_t(current)].name = Quoted(in.Text());
    } else if (in.Starts("loc")) {
      float* loc = out.objects[size_t(current)].loc;
      if (!in.Floats(3, loc, 3)) return fail("a loc without 3 numbers");
    } else if (in.Starts("numvert")) {
      if (!in.Count(7, n) || n > kMaxAc3dItems) return fail("a vertex count out of range");
      for (uint64_t i = 0; i < n; ++i)
        if (!in.Next()) return fail("the file ends within its vertices");
    } else if (in.Starts("SURF")) {
      closeSurface(~uint64_t{0});
      if (!in.Count(4, surfaceFlags)) return fail("a SURF without flags");
      surfaceKind = surfaceFlags & 0xF;
      inSurface = true;
    } else if (in.Starts("mat")) {
      if (!in.Count(3, n)) return fail("a mat without a number");
      closeSurface(n);
    } else if (in.Starts("refs")) {
      closeSurface(~uint64_t{0});
      if (!in.Count(4, n) || n > kMaxAc3dItems) return fail("a reference count out of range");
      for (uint64_t i = 0; i < n; ++i)
        if (!in.Next()) return fail("the file ends within a surface's references");
    } else if (in.Starts("data")) {
      // A data block of N bytes follows on the next lines.
      if (!in.Count(4, n) || n > (uint64_t{1} << 30)) return fail("a data length out of range");
      for (uint64_t left = n; left > 0;) {
        if (!in.Next()) return fail("the file ends within a data block");
        const uint64_t line = std::strlen(in.Text());
        left -= std::min(left, line);
      }
    }
  }
  closeSurface(~uint64_t{0});
  return true;
}

}  // namespace PM::Import
