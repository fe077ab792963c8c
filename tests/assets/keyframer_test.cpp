// Keyframer nodes and tracks: which tracks are kept, where, with which
// values, and how the node state carries over between nodes and loads.
#include <gtest/gtest.h>

#include "assets/scene_reader.h"
#include "scene_builders.h"

namespace {

// A scene with meshes "Box" and "Ball" and camera "Camera01"; keys writes
// the keyframer's nodes.
template <class F>
ScenePtr load_with_keyframer(F&& keys)
{
    ChunkWriter w;
    scene_file(
        w,
        [&] {
            triangle_object(w, "Box");
            triangle_object(w, "Ball");
            camera_object(w, "Camera01");
        },
        [&] {
            w.chunk(chunk::keyframer, [&] {
                w.chunk(chunk::frames, [&] {
                    w.u32(0);
                    w.u32(100);
                });
                keys(w);
            });
        });
    return load_writer(w);
}

// Makes the next load start from an object node state (kind 0), whatever
// the test before left.
void reset_node_state()
{
    scene_reader_state.track_kind = track_kind_object;
    scene_reader_state.node_index = -1;
}

TEST(Keyframer, PositionKeysOfAMatchedMeshSwapAxesAndSetNodeIds)
{
    reset_node_state();
    ScenePtr scene = load_with_keyframer([](ChunkWriter& w) {
        node(w, chunk::track_info, 7, "Ball", 3, [&] {
            position_keys(w, {{10, 1, 2, 3}, {0x0001000C, -1, -2, -3}});
        });
    });
    ASSERT_NE(scene, nullptr);
    const Mesh& box = scene->meshes[0];
    const Mesh& ball = scene->meshes[1];
    EXPECT_EQ(box.node_id, 0u);
    EXPECT_EQ(box.position_key_count, 0);
    EXPECT_EQ(ball.node_id, 7u);
    EXPECT_EQ(ball.parent_id, 3u);
    ASSERT_EQ(ball.position_key_count, 2);
    EXPECT_EQ(ball.position_frame[0], 10.0f);
    EXPECT_EQ(ball.position_x[0], 1.0f);
    EXPECT_EQ(ball.position_y[0], 3.0f);
    EXPECT_EQ(ball.position_z[0], 2.0f);
    // Only the frame number's low 16 bits count.
    EXPECT_EQ(ball.position_frame[1], 12.0f);
    EXPECT_EQ(ball.position_y[1], -3.0f);
    EXPECT_EQ(ball.rotation_key_count, 0);
    EXPECT_EQ(scene_fault(*scene), "");
}

TEST(Keyframer, RotationKeysOfAMatchedMeshSwapTheAxis)
{
    reset_node_state();
    ScenePtr scene = load_with_keyframer([](ChunkWriter& w) {
        node(w, chunk::track_info, 1, "Box", 0xFFFF, [&] {
            rotation_keys(w, {{0, 0.5f, 1, 2, 3}, {20, -1.5f, 4, 5, 6}});
        });
    });
    ASSERT_NE(scene, nullptr);
    const Mesh& box = scene->meshes[0];
    EXPECT_EQ(box.parent_id, 0xFFFFu);
    ASSERT_EQ(box.rotation_key_count, 2);
    EXPECT_EQ(box.rotation_frame[1], 20.0f);
    EXPECT_EQ(box.rotation_angle[0], 0.5f);
    EXPECT_EQ(box.rotation_axis_x[0], 1.0f);
    EXPECT_EQ(box.rotation_axis_y[0], 3.0f);
    EXPECT_EQ(box.rotation_axis_z[0], 2.0f);
    EXPECT_EQ(box.rotation_angle[1], -1.5f);
    EXPECT_EQ(box.rotation_axis_y[1], 6.0f);
    EXPECT_EQ(box.rotation_axis_z[1], 5.0f);
}

TEST(Keyframer, KeyCountUsesOnlyTheLow16Bits)
{
    reset_node_state();
    ScenePtr scene = load_with_keyframer([](ChunkWriter& w) {
        node(w, chunk::track_info, 1, "Box", 0xFFFF, [&] {
            w.chunk(chunk::position_keys, [&] {
                track_header(w, 65537);
                key_header(w, 4);
                w.f32(1), w.f32(2), w.f32(3);
            });
        });
    });
    ASSERT_NE(scene, nullptr);
    const Mesh& box = scene->meshes[0];
    ASSERT_EQ(box.position_key_count, 1);
    EXPECT_EQ(box.position_frame[0], 4.0f);
    EXPECT_EQ(box.position_z[0], 2.0f);
}

TEST(Keyframer, SplineFlagBitsZeroToTwoEachAddFourBytes)
{
    reset_node_state();
    const uint16_t flags[] = {0x0000, 0x0001, 0x0002, 0x0004, 0x0005, 0x0007, 0xFFF8, 0xFFFF};
    ScenePtr scene = load_with_keyframer([&](ChunkWriter& w) {
        node(w, chunk::track_info, 1, "Box", 0xFFFF, [&] {
            w.chunk(chunk::position_keys, [&] {
                track_header(w, std::size(flags));
                for (uint16_t i = 0; i < std::size(flags); ++i) {
                    key_header(w, i, flags[i]);  // writes the extra values the flags ask for
                    w.f32(i), w.f32(10.0f + i), w.f32(20.0f + i);
                }
            });
        });
    });
    ASSERT_NE(scene, nullptr);
    const Mesh& box = scene->meshes[0];
    ASSERT_EQ(box.position_key_count, static_cast<int32_t>(std::size(flags)));
    for (int i = 0; i < box.position_key_count; ++i) {
        EXPECT_EQ(box.position_frame[i], static_cast<float>(i)) << "flags " << std::hex << flags[i];
        EXPECT_EQ(box.position_x[i], static_cast<float>(i));
        EXPECT_EQ(box.position_y[i], 20.0f + i);
        EXPECT_EQ(box.position_z[i], 10.0f + i);
    }
}

TEST(Keyframer, CameraAndTargetNodesKeepPositionTracksOnly)
{
    reset_node_state();
    // A mesh that bears the camera's name shows that camera nodes never
    // reach meshes.
    ChunkWriter w;
    scene_file(
        w,
        [&] {
            triangle_object(w, "Camera01");
            camera_object(w, "Camera01");
        },
        [&] {
            w.chunk(chunk::keyframer, [&] {
                node(w, chunk::camera_track, 1, "Camera01", 0xFFFF, [&] {
                    position_keys(w, {{0, 1, 2, 3}, {5, 4, 5, 6}, {9, 7, 8, 9}});
                    rotation_keys(w, {{0, 1, 0, 0, 1}});
                    w.chunk(chunk::fov_track, [&] {
                        track_header(w, 1);
                        key_header(w, 0);
                        w.f32(45);
                    });
                    w.chunk(chunk::roll_track, [&] {
                        track_header(w, 2);
                        key_header(w, 0, 1);
                        w.f32(0);
                        key_header(w, 50);
                        w.f32(30);
                    });
                });
                node(w, chunk::target_track, 2, "Camera01", 0xFFFF,
                     [&] { position_keys(w, {{3, 10, 20, 30}}); });
            });
        });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    const SceneCamera& camera = scene->cameras[0];
    ASSERT_EQ(camera.position_key_count, 3);
    EXPECT_EQ(camera.position_frame[2], 9.0f);
    EXPECT_EQ(camera.position_x[2], 7.0f);
    EXPECT_EQ(camera.position_y[2], 9.0f);
    EXPECT_EQ(camera.position_z[2], 8.0f);
    ASSERT_EQ(camera.target_key_count, 1);
    EXPECT_EQ(camera.target_frame[0], 3.0f);
    EXPECT_EQ(camera.target_x[0], 10.0f);
    EXPECT_EQ(camera.target_y[0], 30.0f);
    EXPECT_EQ(camera.target_z[0], 20.0f);
    const Mesh& mesh = scene->meshes[0];
    EXPECT_EQ(mesh.rotation_key_count, 0);
    EXPECT_EQ(mesh.position_key_count, 0);
    EXPECT_EQ(mesh.node_id, 0u);
    EXPECT_EQ(scene_fault(*scene), "");
}

TEST(Keyframer, UnmatchedNodesAreReadAndDropped)
{
    reset_node_state();
    ScenePtr scene = load_with_keyframer([](ChunkWriter& w) {
        node(w, chunk::track_info, 9, "Nobody", 2, [&] {
            position_keys(w, {{0, 1, 2, 3}});
            rotation_keys(w, {{0, 1, 0, 0, 1}});
        });
        node(w, chunk::camera_track, 10, "NoCamera", 0xFFFF, [&] { position_keys(w, {{0, 1, 2, 3}}); });
        node(w, chunk::track_info, 11, "box", 0xFFFF, [&] { position_keys(w, {{0, 1, 2, 3}}); });
    });
    ASSERT_NE(scene, nullptr);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(scene->meshes[i].node_id, 0u);
        EXPECT_EQ(scene->meshes[i].parent_id, 0u);
        EXPECT_EQ(scene->meshes[i].position_key_count, 0);
        EXPECT_EQ(scene->meshes[i].rotation_key_count, 0);
    }
    EXPECT_EQ(scene->cameras[0].position_key_count, 0);
    EXPECT_EQ(scene_reader_state.node_index, -1);
    EXPECT_EQ(scene_reader_state.track_kind, track_kind_matched);
}

TEST(Keyframer, LaterNodesReplaceTracksAndKeyCountZeroGivesEmptyTracks)
{
    reset_node_state();
    ScenePtr scene = load_with_keyframer([](ChunkWriter& w) {
        node(w, chunk::track_info, 1, "Box", 0xFFFF, [&] {
            position_keys(w, {{0, 1, 2, 3}, {1, 1, 2, 3}});
            rotation_keys(w, {{0, 1, 0, 0, 1}});
        });
        node(w, chunk::track_info, 2, "Box", 1, [&] {
            position_keys(w, {{7, 4, 5, 6}});
            rotation_keys(w, {});
        });
    });
    ASSERT_NE(scene, nullptr);
    const Mesh& box = scene->meshes[0];
    EXPECT_EQ(box.node_id, 2u);
    EXPECT_EQ(box.parent_id, 1u);
    ASSERT_EQ(box.position_key_count, 1);
    EXPECT_EQ(box.position_frame[0], 7.0f);
    EXPECT_EQ(box.rotation_key_count, 0);
    EXPECT_EQ(box.rotation_frame, nullptr);
    EXPECT_EQ(box.rotation_axis_z, nullptr);
    EXPECT_EQ(scene_fault(*scene), "");
}

TEST(Keyframer, TracksFollowTheLatestNodeHeaderEvenOutsideItsContainer)
{
    reset_node_state();
    // "Ambient key" and the light containers leave the kind as it was, so a
    // light node after a camera node looks its name up among the cameras.
    ScenePtr scene = load_with_keyframer([](ChunkWriter& w) {
        node(w, chunk::camera_track, 1, "Camera01", 0xFFFF, [&] { position_keys(w, {{1, 1, 1, 1}}); });
        node(w, chunk::pointlight_track, 2, "Camera01", 0xFFFF,
             [&] { position_keys(w, {{2, 2, 2, 2}, {3, 3, 3, 3}}); });
    });
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->cameras[0].position_key_count, 2);
    EXPECT_EQ(scene->cameras[0].position_frame[1], 3.0f);
}

TEST(Keyframer, DroppedTracksReadEveryKeyWithItsBody)
{
    // Scale and colour keys carry three floats, FOV and roll keys one. Each
    // track is the last chunk of its file: the file loads with the whole
    // track and fails with its last byte missing.
    struct Dropped {
        uint16_t id;
        int floats;
    };
    for (const Dropped d : {Dropped{chunk::scale_keys, 3}, Dropped{chunk::color_track, 3},
                            Dropped{chunk::fov_track, 1}, Dropped{chunk::roll_track, 1}}) {
        SCOPED_TRACE(d.id);
        for (int missing = 0; missing < 2; ++missing) {
            ChunkWriter w;
            w.chunk(chunk::main, [&] {
                w.chunk(d.id, [&] {
                    track_header(w, 0x30002);
                    key_header(w, 0, 0x0003);
                    for (int i = 0; i < d.floats; ++i) w.f32(1);
                    key_header(w, 9, 0x0004);
                    for (int i = 0; i < d.floats; ++i) w.f32(1);
                });
            });
            if (missing) {
                // One byte less in the file and in both chunk lengths (small
                // numbers: only their low bytes change).
                w.bytes().pop_back();
                w.bytes()[2] -= 1;
                w.bytes()[8] -= 1;
            }
            EXPECT_EQ(load_writer(w) == nullptr, missing == 1);
        }
    }
}

// The keyframer fields are not reset between loads: a track met before any
// node container of a file goes where the previous file's last node pointed.
ScenePtr load_camera_keys_without_node()
{
    ChunkWriter w;
    scene_file(
        w, [&] { camera_object(w, "Cam"); },
        [&] { w.chunk(chunk::keyframer, [&] { position_keys(w, {{5, 1, 2, 3}}); }); });
    return load_writer(w);
}

TEST(Keyframer, NodeStateCarriesOverBetweenLoads)
{
    reset_node_state();
    {
        // Leaves a camera node state: kind 3, camera 0.
        ScenePtr first = load_with_keyframer([](ChunkWriter& w) {
            node(w, chunk::camera_track, 4, "Camera01", 0xFFFF, [] {});
        });
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(scene_reader_state.track_kind, track_kind_camera);
        EXPECT_EQ(scene_reader_state.node_index, 0);
        EXPECT_EQ(scene_reader_state.node_id, 4);
        EXPECT_STREQ(scene_reader_state.node_name, "Camera01");
    }
    ScenePtr second = load_camera_keys_without_node();
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->cameras[0].position_key_count, 1);
    EXPECT_EQ(second->cameras[0].position_frame[0], 5.0f);
    EXPECT_EQ(second->cameras[0].position_y[0], 3.0f);

    // After an object node that matched nothing, the same file keeps nothing.
    {
        ScenePtr first = load_with_keyframer([](ChunkWriter& w) {
            node(w, chunk::track_info, 4, "Nothing", 0xFFFF, [] {});
        });
        ASSERT_NE(first, nullptr);
    }
    ScenePtr third = load_camera_keys_without_node();
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->cameras[0].position_key_count, 0);
}

TEST(Keyframer, NodeHeaderBeforeAnyContainerUsesTheCarriedKind)
{
    // A node header inside "Ambient key" runs with the kind the previous
    // load left. Kinds other than 0 look the name up among the cameras and
    // keep their kind, so with kind 4 left over the camera's index is then
    // used as a mesh index.
    auto ambient_file = [] {
        ChunkWriter w;
        scene_file(
            w,
            [&] {
                triangle_object(w, "Amb");
                triangle_object(w, "M1");
                camera_object(w, "C0");
                camera_object(w, "Amb");
            },
            [&] {
                w.chunk(chunk::keyframer, [&] {
                    w.chunk(chunk::ambient_key, [&] {
                        node_id(w, 6);
                        node_header(w, "Amb");
                        position_keys(w, {{1, 1, 1, 1}});
                    });
                });
            });
        return w.bytes();
    };
    auto keys = [](const ScenePtr& s) {
        return std::vector<int>{s->meshes[0].position_key_count, s->meshes[1].position_key_count,
                                s->cameras[0].position_key_count, s->cameras[1].position_key_count};
    };

    scene_reader_state.track_kind = track_kind_matched;
    ScenePtr scene = load_bytes(ambient_file());
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene_reader_state.node_index, 1);
    EXPECT_EQ(keys(scene), (std::vector<int>{0, 1, 0, 0}));
    EXPECT_EQ(scene->meshes[0].node_id, 0u);
    EXPECT_EQ(scene->meshes[1].node_id, 0u);

    scene_reader_state.track_kind = track_kind_camera;
    scene = load_bytes(ambient_file());
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(keys(scene), (std::vector<int>{0, 0, 0, 1}));

    // With kind 0 left over it is an object node and names the mesh.
    reset_node_state();
    scene = load_bytes(ambient_file());
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(keys(scene), (std::vector<int>{1, 0, 0, 0}));
    EXPECT_EQ(scene->meshes[0].node_id, 6u);
    EXPECT_EQ(scene_reader_state.track_kind, track_kind_matched);
}

TEST(Keyframer, ACarriedNodeIndexBeyondTheSceneStoresNothing)
{
    reset_node_state();
    {
        ChunkWriter w;
        scene_file(
            w,
            [&] {
                for (const char* name : {"A", "B", "C", "D"}) triangle_object(w, name);
            },
            [&] {
                w.chunk(chunk::keyframer,
                        [&] { node(w, chunk::track_info, 1, "D", 0xFFFF, [] {}); });
            });
        ScenePtr big = load_writer(w);
        ASSERT_NE(big, nullptr);
        EXPECT_EQ(scene_reader_state.node_index, 3);
        EXPECT_EQ(scene_reader_state.track_kind, track_kind_matched);
    }
    ChunkWriter w;
    scene_file(
        w, [&] { triangle_object(w, "Only"); },
        [&] {
            w.chunk(chunk::keyframer, [&] {
                position_keys(w, {{1, 1, 1, 1}});
                rotation_keys(w, {{1, 1, 1, 1, 1}});
            });
        });
    ScenePtr small = load_writer(w);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->meshes[0].position_key_count, 0);
    EXPECT_EQ(small->meshes[0].rotation_key_count, 0);
}

TEST(Keyframer, ShortKeysFailTheLoad)
{
    reset_node_state();
    // The track claims two keys and holds one.
    ChunkWriter w;
    scene_file(
        w, [&] { triangle_object(w, "Box"); },
        [&] {
            w.chunk(chunk::keyframer, [&] {
                node(w, chunk::track_info, 1, "Box", 0xFFFF, [&] {
                    w.chunk(chunk::position_keys, [&] {
                        track_header(w, 2);
                        key_header(w, 0);
                        w.f32(1), w.f32(2), w.f32(3);
                    });
                });
            });
        });
    EXPECT_EQ(load_writer(w), nullptr);
}

}  // namespace
