// Decodes the input into String and Array operations (joins, appends, inserts, removals, resizes, shared
// copies) checked against std::string and std::vector doing the same, and into growth computations of
// any 64-bit length, which must neither wrap nor pass the most a block holds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/Array.h"
#include "core/String.h"

using namespace PM;

static void Check(bool ok) {
  if (!ok) std::abort();
}

namespace {

// Lengths stay small: the search is over the arithmetic and the paths, not over memory.
constexpr size_t kMaxLength = 1 << 16;

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t Byte() { return at < size ? data[at++] : 0; }
  int64_t Wide() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | Byte();
    return int64_t(v);
  }
};

void CheckGrowth(int64_t length, int64_t extra) {
  const int64_t cap = StringGrowCapacity(length, extra);
  const bool fits = length >= 0 && extra >= 0 && length <= String::kMaxLength && extra <= String::kMaxLength - length;
  Check(fits ? cap >= length + extra && cap <= String::kMaxLength : cap == -1);
  if (length >= 0 && length <= kMaxBlockCount) {
    const int64_t grown = ArrayGrowCapacity(length);
    Check(grown > length && (grown <= kMaxBlockCount || (length == kMaxBlockCount && grown == length + 1)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  String s[2];
  std::string ref[2];
  Array<int32_t> a;
  std::vector<int32_t> aref;
  Array<String> names;
  std::vector<std::string> nref;
  while (in.at < size) {
    const uint8_t op = in.Byte() % 12;
    const uint8_t x = in.Byte(), y = in.Byte();
    const int i = x & 1, j = (x >> 1) & 1;
    switch (op) {
      case 0:  // join of two strings, either of which may be the other
        if (ref[i].size() + ref[j].size() <= kMaxLength) {
          s[i] = String::FromConcat(s[i], s[j]);
          ref[i] = ref[i] + ref[j];
        }
        break;
      case 1: {  // join with a C text on either side
        const std::string text(size_t(y % 24), char('a' + y % 26));
        if (ref[i].size() + text.size() <= kMaxLength) {
          s[i] = (x & 4) ? String::FromConcatCStr(s[i], text.c_str()) : String::FromCStrConcat(text.c_str(), s[i]);
          ref[i] = (x & 4) ? ref[i] + text : text + ref[i];
        }
        break;
      }
      case 2:
        if (ref[i].size() < kMaxLength) {
          s[i].AppendChar(char(y));
          ref[i].push_back(char(y));
        }
        break;
      case 3: {  // append of a part of the other string (or of itself)
        const size_t n = std::min<size_t>(y, ref[j].size());
        if (ref[i].size() + n <= kMaxLength) {
          const std::string part = ref[j].substr(0, n);
          s[i].Append(s[j].CStr(), int64_t(n));
          ref[i] += part;
        }
        break;
      }
      case 4:
        if (ref[i].size() < kMaxLength) {
          const size_t at = y % (ref[i].size() + 1);
          s[i].InsertChar(int(at), char(x));
          ref[i].insert(ref[i].begin() + ptrdiff_t(at), char(x));
        }
        break;
      case 5:
        if (!ref[i].empty()) {
          s[i].RemoveChar(int(y % ref[i].size()));
          ref[i].erase(y % ref[i].size(), 1);
        }
        break;
      case 6: {
        String sub;
        sub.AssignSub(s[i], int(int8_t(x)), int(int8_t(y)));
        const size_t st = std::min<size_t>(size_t(std::max(0, int(int8_t(x)))), ref[i].size());
        Check(sub.View() == ref[i].substr(st, size_t(std::max(0, int(int8_t(y))))));
        break;
      }
      case 7:
        CheckGrowth(in.Wide(), in.Wide());
        break;
      case 8: {  // array appends and inserts, through a shared copy now and then
        Array<int32_t> keep;
        if (x & 8) keep = a;
        const std::vector<int32_t> kept = aref;
        if (aref.size() < kMaxLength) {
          if (x & 4) {
            const size_t at = y % (aref.size() + 1);
            a.Insert(int(at), y);
            aref.insert(aref.begin() + ptrdiff_t(at), y);
          } else {
            a.Append(y);
            aref.push_back(y);
          }
        }
        if (x & 8) Check(keep.Count() == int(kept.size()) && std::equal(kept.begin(), kept.end(), keep.begin()));
        break;
      }
      case 9: {
        const int from = int(int8_t(x)), count = int(y % 5) - 1;
        a.Remove(from, count);
        if (from >= 0 && size_t(from) < aref.size() && count != 0) {
          const size_t c = count < 0 ? aref.size() - size_t(from) : std::min(size_t(count), aref.size() - size_t(from));
          aref.erase(aref.begin() + from, aref.begin() + from + ptrdiff_t(c));
        }
        break;
      }
      case 10: {  // resizes: count, capacity and their fills
        const int n = int(y) * (x & 8 ? 37 : 1) - (x & 16 ? 3 : 0);
        if (x & 4) {
          a.SetCount(n);
          aref.resize(size_t(std::max(0, n)));
        } else {
          a.Reserve(n);
        }
        break;
      }
      case 11: {  // arrays of strings: shared elements survive a growing, shared array
        if (nref.size() < 4096) {
          Array<String> copy = names;
          names.Append(s[i]);
          nref.push_back(ref[i]);
          Check(copy.Count() + 1 == names.Count());
        }
        if (x & 4 && !nref.empty()) {
          names.RemoveAt(y % int(nref.size()));
          nref[y % nref.size()] = nref.back();
          nref.pop_back();
        }
        break;
      }
    }
    for (int k = 0; k < 2; ++k) Check(s[k].View() == ref[k] && s[k].CStr()[ref[k].size()] == 0);
    Check(a.Count() == int(aref.size()) && a.Capacity() >= a.Count());
    Check(std::equal(aref.begin(), aref.end(), a.begin()));
  }
  Check(names.Count() == int(nref.size()));
  for (size_t k = 0; k < nref.size(); ++k) Check(names[int(k)].View() == nref[k]);
  return 0;
}
