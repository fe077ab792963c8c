#include "engine/engine.h"

#include <cstdlib>
#include <cstring>

#include "assets/texture.h"
#include "engine/clip.h"
#include "platform/frame_memory.h"

Engine engine;

int32_t engine_init(int32_t width, int32_t height)
{
    // A context that is still built is released first, so a second
    // engine_init without engine_release leaks nothing.
    engine_release();

    engine.width = width;
    engine.height = height;
    // width * 0.8 in double precision, truncated: 200 gives 160, 512 gives 409.
    const int32_t focal = static_cast<int32_t>(static_cast<double>(width) * 0.8);
    engine.focal_x = focal;
    engine.focal_y = focal;

    engine.font_texture = load_texture("Fonts.tex");

    // The frustum keeps projected geometry one pixel inside the left and
    // right edges and two pixels inside the top and bottom edges.
    const bool frustum_built =
        frustum_build(engine.frustum, static_cast<float>(width) - 2.0f, static_cast<float>(height) - 4.0f,
                      static_cast<float>(engine.focal_x), static_cast<float>(engine.focal_y));

    for (int k = 0; k < 3; ++k) {
        engine.work_vertices[k] = static_cast<Vertex*>(std::calloc(1, sizeof(Vertex)));
        engine.work_face.corner[k] = engine.work_vertices[k];
        if (!engine.work_vertices[k]) {
            return 0;
        }
    }
    engine.work_face.material = -1;

    // The depth buffer comes last: where it is, the whole context is.
    if (!frustum_built || width <= 0 || height <= 0) {
        return 0;
    }
    engine.depth_buffer = static_cast<float*>(
        allocate_frame_memory(static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(float)));
    return engine.depth_buffer != nullptr ? 1 : 0;
}

void engine_release()
{
    release_texture(engine.font_texture);
    engine.font_texture = nullptr;
    for (Plane*& plane : engine.frustum) {
        std::free(plane);
        plane = nullptr;
    }
    for (int k = 0; k < 3; ++k) {
        std::free(engine.work_vertices[k]);
        engine.work_vertices[k] = nullptr;
        engine.work_face.corner[k] = nullptr;
    }
    std::free(engine.depth_buffer);
    engine.depth_buffer = nullptr;
    engine.current_texture = nullptr;
}

void engine_clear_depth()
{
    if (engine.depth_buffer) {
        std::memset(engine.depth_buffer, 0,
                    static_cast<size_t>(engine.width) * static_cast<size_t>(engine.height) *
                        sizeof(float));
    }
}

void engine_fill_depth(float value)
{
    if (!engine.depth_buffer) {
        return;
    }
    const size_t count = static_cast<size_t>(engine.width) * static_cast<size_t>(engine.height);
    float* depth = engine.depth_buffer;
    for (size_t i = 0; i < count; ++i) {
        depth[i] = value;
    }
}
