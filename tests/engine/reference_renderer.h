// A plain renderer for checking the engine bit for bit: clipping, projection
// and both fills written straight from the formulas, one row and one pixel
// at a time, with none of the engine's drawing code (only its matrix
// operations, which have tests of their own). It keeps the same precision
// choices as the engine (float throughout; double where ceil, atan, cos,
// sqrt and the 0.1 and 0.3535 / 0.7853 constants are involved).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "assets/scene.h"
#include "assets/texture.h"
#include "engine/math3d.h"

namespace reference {

struct Corner {
    float x, y, z, u, v;
};
using Triangle = std::array<Corner, 3>;

struct RefPlane {
    float a, b, c, d;
};

struct View {
    int32_t width, height, focal;
    std::vector<uint32_t> pixels;
    std::vector<float> depth;
    RefPlane frustum[4];
};

// A view of the given size: focal = trunc(width * 0.8), frustum from the
// extents width - 2 and height - 4. Pixels and depth start at 0.
View make_view(int32_t width, int32_t height);

// 0 dropped, 1 inside (pieces = the triangle), 2 clipped.
int clip(const Triangle& tri, const RefPlane frustum[4], std::vector<Triangle>& pieces);

// The fills of one projected triangle.
void fill_flat(View& view, const Triangle& tri, uint32_t colour);
void fill_textured(View& view, const Triangle& tri, const Texture& texture);

// One mesh: transform, clip, project, fill, border.
void render_mesh(View& view, const Matrix4& model, const Matrix4& camera, const Mesh& mesh,
                 uint32_t colour, const Texture* texture, float mapping_scale, bool scaled_border);

}  // namespace reference
