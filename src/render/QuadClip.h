// The clipping of screen-space quads to the GUI's clip rectangle that every back end does alike: one quad
// of DrawQuadClipped, and the groups of four vertices of a clipped polygon record. The rectangle is given
// in model space as (left, right, bottom, top); texture coordinates follow each moved edge linearly.
#pragma once

#include <cstdint>

#include "core/Matrix4f.h"
#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "engine/PolygonData.h"
#include "engine/RenderEngine.h"

namespace PM {

// The screen clip rectangle `rect` in the model space of `modelView` (scale and translation only): the
// translation comes off first, then the scale; a zero scale counts as 1.
void ModelSpaceClipRect(const float rect[4], const Matrix4f& modelView, float out[4]);

// A quad between left/right and bottom/top with texture coordinates `uv` for the corners (left, bottom),
// (right, bottom), (left, top), (right, top), clipped to `clip`. False when nothing of it lies inside.
struct ClippedQuad {
  float left, right, bottom, top;
  float uv[8];
};
bool ClipQuad(const float clip[4], float left, float right, float bottom, float top, const float* uv, ClippedQuad* out);

// The record's whole groups of four vertices (corners xmin-ymin, xmax-ymin, xmax-ymax, xmin-ymax) clipped
// into the engine's scratch arrays 1 (positions) and 2 (texture coordinates); groups wholly outside
// collapse to a point. False when the record has no whole group or lacks positions or coordinates.
bool ClipQuadRecord(const float clip[4], const PolygonData& record, RenderEngine& engine, PolygonData* out);

}  // namespace PM
