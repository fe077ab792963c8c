// Framing a scene for the tools that draw models with the game's engine
// (valkron-view, valkron-icon): its bounding box and sphere, and a camera
// orbiting a point.
#pragma once

#include "assets/scene.h"
#include "engine/math3d.h"

struct SceneBounds {
    double min[3] = {1e300, 1e300, 1e300};
    double max[3] = {-1e300, -1e300, -1e300};
    bool empty = true;  // no finite coordinate at all
};

// The box around every mesh's vertices (non-finite coordinates left out).
SceneBounds scene_bounds(const Scene& scene);
// The box's centre and the radius of the sphere through its corners (at
// least 1e-6); the origin and 1 for an empty box.
void bounding_sphere(const SceneBounds& bounds, double centre[3], double& radius);

// The camera frame looking at centre from distance away, turned by yaw
// about the vertical axis and raised by pitch (degrees): rows right, down,
// forward (camera space X right, Y down the picture, Z forward) and the
// position. The scene's +Y is up.
Matrix4 orbit_camera(const double centre[3], double yaw_deg, double pitch_deg, double distance);
