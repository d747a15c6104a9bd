#include "ui/OutOfViewIndex.h"

#include <algorithm>
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
  m_lastIdle.swap(m_idle);
  if (!same) {
    m_lastIdle.clear();
    m_runStart = pass;
    m_skippedAny = false;  // every row is laid out now
  }
  m_idle.clear();
  m_kept.clear();
  m_stamp = Edits();
  m_pass = pass;
  m_count = count;
  m_maxPriority = INT32_MIN;
  m_rowEdited = false;
  m_record = record;
  m_recordSize = r.computedSize;
  m_recordClip = r.clipState;
  std::copy(r.clipRect, r.clipRect + 4, m_clipRect);
  m_recordFlags = r.combinedInputFlags & 2;
  std::copy(linear, linear + 12, m_recordLinear);
  return same;
}

bool OutOfViewIndex::StaysOutside(const Idle& row) const {
  // The world translation as the commit pass computes it, then the button's out-of-view test.
  const float* p = m_record->world.m;
  const Vector3f& t = row.position;
  const float x = t.x * p[0] + t.y * p[4] + t.z * p[8] + p[12];
  const float y = t.x * p[1] + t.y * p[5] + t.z * p[9] + p[13];
  const Vector3f& s = row.size;
  return x + s.x + s.x < m_clipRect[0] || x - s.x > m_clipRect[1] || y + s.y + s.y < m_clipRect[2] ||
         y - s.y > m_clipRect[3];
}

void OutOfViewIndex::PassOver(const Idle& row) {
  m_idle.push_back(row);
  m_maxPriority = std::max(m_maxPriority, row.drawPriority);
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
