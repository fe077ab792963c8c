// Triangle fills under the 1/z depth buffer: flat shaded and perspective
// textured (exact every 16 pixels, linear in between).
#pragma once

#include <cstdint>

#include "assets/scene.h"

// The face's corners hold screen x, y, camera z (> 0.1) and texel u, v.
void fill_flat(const Face& face, uint32_t* target, uint32_t colour);
// Uses engine.current_texture. 1 after drawing, 0 when nothing was drawn.
int32_t fill_textured(const Face& face, uint32_t* target);

int32_t build_edge_chains(const Face& face);
int32_t setup_edge(const Face& face, int32_t from, int32_t to, struct EdgeStep& out);
int32_t flat_gradients(const Face& face);
int32_t texture_gradients(const Face& face);
uint32_t shade_colour(uint32_t colour, float factor);
