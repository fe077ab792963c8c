#include "shell/pictures.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "assets/texture.h"
#include "platform/frame_memory.h"

uint32_t* explosion_frames = nullptr;
uint32_t menu_picture[menu_picture_width * menu_picture_height];
uint32_t* menu_background = nullptr;
uint32_t* target_picture = nullptr;

uint32_t* allocate_pixels(int64_t count)
{
    if (count < 0) {
        return nullptr;
    }
    return static_cast<uint32_t*>(allocate_frame_memory(static_cast<size_t>(std::max<int64_t>(count, 1)) * 4));
}

const char* load_explosion_frames()
{
    static char name[32];
    explosion_frames = allocate_pixels(int64_t{explosion_count} * explosion_pixels);
    if (!explosion_frames) {
        return "memory for the explosion pictures";
    }
    for (int32_t n = 1; n <= explosion_count; ++n) {
        std::snprintf(name, sizeof name, "Data\\Expl%d.tex", n);
        if (!load_picture(name, explosion_frames + (n - 1) * explosion_pixels, explosion_pixels,
                          PictureOrder::texture)) {
            return name;
        }
    }
    return nullptr;
}

bool load_menu_background(int32_t width, int32_t height)
{
    if (!load_picture("Data\\Menu.tex", menu_picture, menu_picture_width * menu_picture_height,
                      PictureOrder::unchanged)) {
        return false;
    }
    scale_menu_background(width, height);
    return true;
}

void scale_menu_background(int32_t width, int32_t height)
{
    const float sx = 400.0f / static_cast<float>(width);
    const float sy = 300.0f / static_cast<float>(height);
    for (int32_t x = 0; x < width; ++x) {
        const int32_t column = std::min(static_cast<int32_t>(static_cast<float>(x) * sx), menu_picture_width - 1);
        for (int32_t y = 0; y < height; ++y) {
            const int32_t row = std::min(static_cast<int32_t>(static_cast<float>(y) * sy), menu_picture_height - 1);
            menu_background[y * width + x] = menu_picture[row * menu_picture_width + column];
        }
    }
}

bool load_target_picture()
{
    if (!load_picture("Data\\Target.tex", target_picture, target_width * target_height,
                      PictureOrder::unchanged)) {
        return false;
    }
    clear_red_pixels(target_picture, target_width * target_height);
    return true;
}

void clear_red_pixels(uint32_t* pixels, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t v = pixels[i];
        if ((v >> 16) > (v & 0xFF) + 10 && (v >> 16) > ((v >> 8) & 0xFF) + 10) {
            pixels[i] = 0;
        }
    }
}

void release_pictures()
{
    std::free(explosion_frames);
    explosion_frames = nullptr;
    std::free(menu_background);
    menu_background = nullptr;
    std::free(target_picture);
    target_picture = nullptr;
}
