// Painting helpers for the aeroplane liveries: markings, lettering,
// camouflage patterns and the atlas regions of geometry.h.
#pragma once

#include <functional>
#include <string>

#include "geometry.h"

namespace datagen {

// Paints every texel of a rectangle of the 256 x 256 atlas with a function
// of the texel centre (column, row).
void paint_region(Canvas& c, int c0, int r0, int c1, int r1, const std::function<Rgb(float col, float row)>& f);

// Whether font pixel (fx, fy) of a text (8 x 9 pixel cells, origin at the
// text's top-left) is set.
bool text_pixel(const std::string& text, float fx, float fy);
// Text with a dark outline one font pixel wide: 0 nothing, 1 outline, 2 letter.
int outlined_text(const std::string& text, float fx, float fy);

// Roundel rings: returns the ring index (0 centre, 1, 2 ...) of a point at
// distance d for ring radii sorted ascending, or -1 outside.
int ring_index(float d, std::initializer_list<float> radii);

// Two-colour organic camouflage value (0 or 1) at a point of the surface.
float organic_camo(V3 p, float scale, uint32_t seed, float threshold);
// Angular "splinter" camouflage: patch index 0..3 at a point.
int splinter_camo(V3 p, float scale, uint32_t seed);
// Scales of a lizard's skin: returns 0 at a scale's centre rising to 1 at
// its rim, for a point in surface units.
float scale_pattern(float a, float b, float size);

// Baked light for the body: brighter on top, darker underneath, with a
// soft highlight along the upper flanks.
float body_light(float s);

}  // namespace datagen
