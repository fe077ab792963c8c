// Draws one mesh: model x view transform, frustum clipping, projection and
// the flat or textured fill.
#pragma once

#include <cstdint>

#include "assets/scene.h"
#include "assets/texture.h"
#include "engine/math3d.h"

// Mapping scale 256; clears row 0 of the target afterwards. With a texture
// every face is textured and colour is ignored; without, flat in colour.
void render_mesh(const Matrix4& model, const Matrix4& camera, const Mesh& mesh, uint32_t* target,
                 uint32_t colour, const Texture* texture);

// The caller's mapping scale; clears rows 0, 1, 2, height - 2, height - 1
// and columns 0 and 1 afterwards.
void render_mesh_scaled(const Matrix4& model, const Matrix4& camera, const Mesh& mesh,
                        uint32_t* target, uint32_t colour, const Texture* texture,
                        float mapping_scale);
