#include "ui/OutOfViewIndex.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace PM {

namespace {

// The world matrix but for its translation (row 3), where the rows' out-of-view test expects the identity.
void LinearPart(const Matrix4f& m, float out[12]) { std::memcpy(out, m.m, 12 * sizeof(float)); }

bool OnlyTranslates(const Matrix4f& w) {
  const float* m = w.m;
  return m[0] == 1.0f && m[1] == 0.0f && m[2] == 0.0f && m[4] == 0.0f && m[5] == 1.0f && m[6] == 0.0f;
}

}  // namespace

bool OutOfViewIndex::Begin(int32_t count, const WidgetLayout* record, uint64_t pass, bool minimumKept) {
  float linear[12];
  LinearPart(record->world, linear);
  const WidgetLayout& r = *record;
  const bool same = !m_rowEdited && minimumKept && m_count == count && m_stamp == Edits() && m_record == record &&
                    r.computedSize.x == m_recordSize.x && r.computedSize.y == m_recordSize.y &&
                    r.computedSize.z == m_recordSize.z && r.clipState == kClipped && m_recordClip == kClipped &&
                    std::equal(r.clipRect, r.clipRect + 4, m_clipRect) && (r.combinedInputFlags & 2) == m_recordFlags &&
                    std::equal(linear, linear + 12, m_recordLinear) && OnlyTranslates(r.world);
  m_lastKept.swap(m_kept);
  m_kept.clear();
  if (!same) {
    m_runStart = pass;
    m_skippedAny = false;  // every row is laid out now
    m_rows.assign(size_t(count), Row{});
    m_state.assign(size_t(count), kUnseen);
    m_idleCount = 0;
    m_maxPriority = INT32_MIN;
    m_reachValid = false;
  }
  m_same = same;
  m_stamp = Edits();
  m_pass = pass;
  m_count = count;
  m_rowEdited = false;
  m_record = record;
  m_recordSize = r.computedSize;
  m_recordClip = r.clipState;
  std::copy(r.clipRect, r.clipRect + 4, m_clipRect);
  m_recordFlags = r.combinedInputFlags & 2;
  std::copy(linear, linear + 12, m_recordLinear);
  return same;
}

bool OutOfViewIndex::StaysOutside(const Row& row) const {
  // The world translation as the commit pass computes it, then the button's out-of-view test.
  const float* p = m_record->world.m;
  const Vector3f& t = row.position;
  const float x = t.x * p[0] + t.y * p[4] + t.z * p[8] + p[12];
  const float y = t.x * p[1] + t.y * p[5] + t.z * p[9] + p[13];
  const Vector3f& s = row.size;
  return x + s.x + s.x < m_clipRect[0] || x - s.x > m_clipRect[1] || y + s.y + s.y < m_clipRect[2] ||
         y - s.y > m_clipRect[3];
}

void OutOfViewIndex::Note(int32_t i, bool idle, const Row& row) {
  Row& kept = m_rows[size_t(i)];
  uint8_t& state = m_state[size_t(i)];
  // A row that moved along the height no longer lies where the reach says (never while the list only
  // scrolls, as nothing of the rows or the record's size has changed).
  if (state != kUnseen && (kept.position.y != row.position.y || kept.position.z != row.position.z ||
                           kept.size.y != row.size.y || kept.position.x != row.position.x))
    m_reachValid = false;
  m_idleCount += int32_t(idle) - int32_t(state == kIdle);
  state = idle ? kIdle : kKept;
  kept = row;
  if (idle)
    m_maxPriority = std::max(m_maxPriority, row.drawPriority);  // a row leaving keeps it: at worst unusable
  else
    m_kept.push_back(i);
}

// Wider than three float roundings of the out-of-view test on values of this size.
double OutOfViewIndex::Slack(double magnitude) { return magnitude * 0x1p-20 + 1e-30; }

void OutOfViewIndex::BuildReach() {
  const size_t n = m_rows.size();
  m_endUpTo.resize(n);
  m_startFrom.resize(n);
  // The test reads the row's height through the record's translation alone: the x times zero and the
  // depth times the record's depth column must both vanish.
  m_reachValid = std::isfinite(m_recordLinear[9]);
  double end = -HUGE_VAL;
  for (size_t i = 0; i < n && m_reachValid; ++i) {
    const Row& r = m_rows[i];
    if (m_state[i] != kUnseen) {
      const float y = r.position.y, h = r.size.y;
      m_reachValid = std::isfinite(y) && std::isfinite(h) && std::isfinite(r.position.x) && r.position.z == 0.0f;
      end = std::max(end, double(y) + 2.0 * double(h) + Slack(std::fabs(y) + 2.0 * std::fabs(h)));
    }
    m_endUpTo[i] = end;
  }
  double start = HUGE_VAL;
  for (size_t i = n; i-- > 0 && m_reachValid;) {
    const Row& r = m_rows[i];
    if (m_state[i] != kUnseen) {
      const float y = r.position.y, h = r.size.y;
      start = std::min(start, double(y) - double(h) - Slack(std::fabs(y) + std::fabs(h)));
    }
    m_startFrom[i] = start;
  }
}

void OutOfViewIndex::Candidates(int32_t& first, int32_t& last) const {
  // Where the comparisons meet a NaN they fail, and every row is looked at.
  const double y = m_record->world.m[13], slack = Slack(std::fabs(y));
  const double below = m_clipRect[2], above = m_clipRect[3];
  const auto begin = m_endUpTo.begin();
  first =
      int32_t(std::partition_point(begin, m_endUpTo.end(), [&](double e) { return e + y + slack < below; }) - begin);
  const auto from = m_startFrom.begin();
  last = int32_t(
      std::partition_point(from + first, m_startFrom.end(), [&](double s) { return !(s + y - slack > above); }) - from);
}

int32_t OutOfViewIndex::KeptFrom(int32_t i) const {
  const auto it = std::lower_bound(m_kept.begin(), m_kept.end(), i);
  return it == m_kept.end() ? m_count : *it;
}

int32_t OutOfViewIndex::KeptUpTo(int32_t i) const {
  const auto it = std::upper_bound(m_kept.begin(), m_kept.end(), i);
  return it == m_kept.begin() ? -1 : *(it - 1);
}

}  // namespace PM
