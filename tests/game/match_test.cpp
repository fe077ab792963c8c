// The split-screen frame: views, instruments, stars, explosion sprite, the
// frag sequence and its message.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "match_fixture.h"
#include "shell/keyboard.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "shell/credits.h"
#include "shell/pictures.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

namespace {

constexpr uint32_t hud = 0x96FF64;
constexpr uint32_t speed_bar = 0xDBAB64;
constexpr uint32_t marker_ahead = 0x6F6437;
constexpr uint32_t marker_behind = 0x37646F;

bool grey(uint32_t p)
{
    const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return (p >> 24) == 0 && r == g && g == b;
}

class MatchTest : public MatchFixture {
protected:
    int32_t count_in_view(uint32_t colour) const
    {
        int32_t n = 0;
        for (int32_t k = 0; k < 200 * 300; ++k) n += view_buffer[k] == colour;
        return n;
    }
    // Frames from now until reset_round has brought both energies back.
    int32_t frames_until_next_round()
    {
        int32_t frames = 0;
        do {
            run_frame();
            ++frames;
        } while (frag_timer > 0 && frames < 1000);
        return frames;
    }
};

TEST_F(MatchTest, InstrumentsSitWhereTheyBelongAt400x300)
{
    aircraft[0].speed = 50.0f;
    draw_player_view(0);
    // "100 %" from (78, 186): glyphs start one row lower.
    EXPECT_EQ(view(78, 187), hud);
    EXPECT_EQ(view(117, 195), hud);
    EXPECT_NE(view(77, 187), hud);
    EXPECT_NE(view(118, 190), hud);
    EXPECT_NE(view(78, 186), hud);
    EXPECT_NE(view(78, 196), hud);
    // Speed bar: columns 75..124, rows 120..122.
    EXPECT_EQ(count_in_view(speed_bar), 150);
    for (int32_t y = 120; y <= 122; ++y) {
        EXPECT_EQ(view(75, y), speed_bar);
        EXPECT_EQ(view(124, y), speed_bar);
        EXPECT_NE(view(74, y), speed_bar);
        EXPECT_NE(view(125, y), speed_bar);
    }
    // "Player 1 0 frags" at x 10 in player 1's view.
    EXPECT_EQ(view(10, 1), hud);
    EXPECT_NE(view(9, 1), hud);
    EXPECT_EQ(view(10 + 16 * 8 - 1, 9), hud);
    EXPECT_NE(view(10 + 16 * 8, 5), hud);
}

TEST_F(MatchTest, SpeedBarIsOnePixelAtRestAndGrowsWithSpeed)
{
    draw_player_view(1);
    EXPECT_EQ(count_in_view(speed_bar), 3);
    EXPECT_EQ(view(75, 121), speed_bar);
    aircraft[1].speed = 10.0f;
    draw_player_view(1);
    EXPECT_EQ(count_in_view(speed_bar), 33);  // i < 11
    aircraft[1].speed = 52.5f;
    draw_player_view(1);
    EXPECT_EQ(count_in_view(speed_bar), 150);
    // Player 2's name text starts at x 0, whose column is never written.
    EXPECT_EQ(view(1, 1), hud);
    EXPECT_NE(view(0, 1), hud);
}

TEST_F(MatchTest, AimingMarkCoversColumns48To150AndRows120To191)
{
    for (size_t k = 0; k < target_store.size(); ++k) target_store[k] = 0x000A0B0C;
    target_store[0] = 0;  // transparent corner
    draw_player_view(0);
    EXPECT_EQ(view(48, 120), 0u);  // the transparent pixel shows space
    EXPECT_EQ(view(49, 120), 0x000A0B0Cu);
    EXPECT_EQ(view(150, 191), 0x000A0B0Cu);
    EXPECT_EQ(view(48, 191), 0x000A0B0Cu);
    EXPECT_NE(view(47, 150), 0x000A0B0Cu);
    EXPECT_NE(view(151, 150), 0x000A0B0Cu);
    EXPECT_NE(view(100, 119), 0x000A0B0Cu);
    EXPECT_NE(view(100, 192), 0x000A0B0Cu);
    // The energy text is drawn before the mark and shows through nowhere
    // inside it.
    EXPECT_EQ(count_in_view(0x000A0B0C), 103 * 72 - 1);
}

struct MarkerCase {
    float x, y, z;
    int32_t mx, my;
    uint32_t colour;
};

TEST_F(MatchTest, DirectionMarkerLiesTwentyPixelsTowardsTheOpponent)
{
    const MarkerCase cases[] = {
        {100, 0, 500, 120, 150, marker_ahead},
        {-3, 0, 5, 80, 150, marker_ahead},
        {30, -40, -5, 112, 134, marker_behind},
        {0, 700, 0, 100, 170, marker_behind},
        {-60, 80, 2000, 88, 166, marker_ahead},
    };
    for (const MarkerCase& c : cases) {
        aircraft[1].matrix = placed_at(c.x, c.y, c.z);
        draw_player_view(0);
        EXPECT_EQ(count_in_view(c.colour), 8) << c.x << " " << c.y;
        for (int32_t k = 1; k <= 2; ++k) {
            EXPECT_EQ(view(c.mx - k, c.my), c.colour);
            EXPECT_EQ(view(c.mx + k, c.my), c.colour);
            EXPECT_EQ(view(c.mx, c.my - k), c.colour);
            EXPECT_EQ(view(c.mx, c.my + k), c.colour);
        }
        EXPECT_NE(view(c.mx, c.my), c.colour);
    }
}

TEST_F(MatchTest, DirectionMarkerIsLeftOutOnTheForwardAxis)
{
    aircraft[1].matrix = placed_at(0, 0, 800);
    draw_player_view(0);
    EXPECT_EQ(count_in_view(marker_ahead), 0);
    EXPECT_EQ(count_in_view(marker_behind), 0);
}

TEST_F(MatchTest, StarsProjectInsideTheViewOnly)
{
    // Viewer at identity: a star (x, y, z) lands at
    // (100 + 256 x / z, 150 + 256 y / z).
    const Vec3 stars[] = {
        {99.0f, 120.0f, 256.0f},    // (199, 270): drawn
        {100.0f, 120.0f, 256.0f},   // sx = 200: outside
        {-99.5f, 120.0f, 256.0f},   // sx = 0.5: drawn in column 0
        {-100.0f, 110.0f, 256.0f},  // sx = 0: outside
        {50.0f, 149.5f, 256.0f},    // sy = 299.5: drawn in row 299
        {40.0f, 150.0f, 256.0f},    // sy = 300: outside
        {30.0f, -150.0f, 256.0f},   // sy = 0: outside
        {0.0f, 120.0f, 0.05f},      // too close to the eye plane
        {0.0f, 100.0f, -20.0f},     // behind
        {0.0f, 0.0f, -20.0f},       // behind, would project onto the centre
    };
    for (size_t k = 0; k < std::size(stars); ++k) star_field[k] = stars[k];
    aircraft[1].matrix = placed_at(0, 0, 800);  // no marker
    draw_player_view(0);
    EXPECT_EQ(view(199, 270), 0xFFFFFFu);
    EXPECT_EQ(view(0, 270), 0xFFFFFFu);
    EXPECT_EQ(view(150, 299), 0xFFFFFFu);
    EXPECT_EQ(count_in_view(0xFFFFFF), 3);

    // Only the viewer's rotation counts, never his position.
    aircraft[0].matrix.m[12] = 123456.0f;
    aircraft[0].matrix.m[14] = -98765.0f;
    aircraft[1].matrix = placed_at(123456.0f, 0, 0);
    draw_player_view(0);
    EXPECT_EQ(view(199, 270), 0xFFFFFFu);
    EXPECT_EQ(count_in_view(0xFFFFFF), 3);
}

TEST_F(MatchTest, OpponentMeshesAreColouredByTheirNames)
{
    std::vector<Texture> texture(1);
    for (uint32_t& p : texture[0].pixels) p = 0x0000FF00;
    MemoryScene plane;
    plane.parts.push_back(make_square("Tail", 40.0f));
    plane.parts.push_back(make_square("Body", 40.0f));
    plane.parts.push_back(make_square("Wing", 40.0f));
    plane.parts.push_back(make_square("", 40.0f));
    // Side by side, all facing the viewer.
    const float offsets[] = {-150.0f, -50.0f, 50.0f, 150.0f};
    for (size_t k = 0; k < 4; ++k) {
        for (Vertex& v : plane.parts[k].vertices) v.x += offsets[k];
    }
    plane.bind();
    for (int32_t p = 0; p < 2; ++p) {
        plane_scene[p] = &plane.scene;
        plane_texture[p] = texture.data();
    }
    aircraft[0].matrix = placed_at(0, 0, 0);
    aircraft[1].matrix = placed_at(0, 0, 1000);
    draw_player_view(0);  // player 2's aeroplane, seen by player 1
    const int32_t y = 150;
    EXPECT_EQ(view(100 - 24, y), 0x0000FF00u);  // "T": textured
    const uint32_t body = view(100 - 8, y);     // "B": blue-violet
    EXPECT_GT(body & 0xFF, (body >> 16) & 0xFF);
    EXPECT_GT((body >> 16) & 0xFF, (body >> 8) & 0xFF);
    const uint32_t wing = view(100 + 8, y);  // pure red for player 2's
    EXPECT_GT((wing >> 16) & 0xFF, 0u);
    EXPECT_EQ(wing & 0xFFFF, 0u);
    const uint32_t unnamed = view(100 + 24, y);
    EXPECT_EQ(unnamed, wing);

    aircraft[1].matrix = placed_at(0, 0, 0);
    aircraft[0].matrix = placed_at(0, 0, 1000);
    draw_player_view(1);  // player 1's aeroplane: red with some green and blue
    const uint32_t other = view(100 + 8, y);
    EXPECT_GT((other >> 16) & 0xFF, 0u);
    EXPECT_GT((other >> 8) & 0xFF, 0u);
    EXPECT_EQ((other >> 8) & 0xFF, other & 0xFF);
    plane_scene[0] = plane_scene[1] = nullptr;
    plane_texture[0] = plane_texture[1] = nullptr;
}

TEST_F(MatchTest, ExplosionAtTheViewersDepthCoversTheView)
{
    aircraft[1].matrix = placed_at(0, 0, 0);
    aircraft[1].energy = 0;
    frag_timer = 200;
    draw_player_view(0);
    EXPECT_EQ(aircraft[1].explosion_frame, 1);
    // z = 0.1: the sprite is 573440 pixels wide, texel columns 55 and 56
    // and rows 50 and 51 of picture 1 fill the view.
    EXPECT_EQ(view(50, 100), explosion_texel(1, 55 + 112 * 50));
    EXPECT_EQ(view(150, 250), explosion_texel(1, 56 + 112 * 51));
    EXPECT_EQ(view(1, 1), explosion_texel(1, 55 + 112 * 50));
    EXPECT_EQ(view(199, 299), explosion_texel(1, 56 + 112 * 51));
    for (int32_t y = 0; y < 300; ++y) EXPECT_EQ(view(0, y), 0u) << y;
    for (int32_t x = 0; x < 200; ++x) EXPECT_EQ(view(x, 0), 0u) << x;
    for (int32_t k = 0; k < 200 * 300; ++k) ASSERT_EQ(engine.depth_buffer[k], 0.1f) << k;
}

TEST_F(MatchTest, ExplosionSpriteFollowsDistanceAndWorldOffsets)
{
    aircraft[1].energy = -5;
    frag_timer = 200;
    // 512 units ahead: 112 x 102 pixels, one texel per pixel, its corner at
    // (100 - 56, 150 - 51).
    aircraft[1].matrix = placed_at(0, 0, 512);
    aircraft[1].explosion_frame = 4;
    draw_player_view(0);
    EXPECT_EQ(aircraft[1].explosion_frame, 5);
    EXPECT_EQ(view(50, 105), explosion_texel(5, 6 + 112 * 6));
    EXPECT_EQ(view(44, 99), explosion_texel(5, 0));
    EXPECT_EQ(view(155, 200), explosion_texel(5, 111 + 112 * 101));
    EXPECT_EQ(view(43, 99), 0u);
    EXPECT_EQ(view(156, 200), 0u);
    EXPECT_EQ(view(155, 201), 0u);
    EXPECT_EQ(engine.depth_buffer[0], 512.0f);
    // The offsets move it by world units, not divided by the distance.
    aircraft[1].matrix = placed_at(30, -20, 512);
    draw_player_view(0);
    EXPECT_EQ(view(80, 85), explosion_texel(6, 6 + 112 * 6));
    // A negative explosion frame starts again from 0.
    aircraft[1].explosion_frame = -7;
    draw_player_view(0);
    EXPECT_EQ(aircraft[1].explosion_frame, 1);
}

TEST_F(MatchTest, ExplosionBehindTheViewerIsNotDrawnButSetsTheDepth)
{
    aircraft[1].matrix = placed_at(0, 0, -50);
    aircraft[1].energy = 0;
    aircraft[1].explosion_frame = 3;
    frag_timer = 200;
    draw_player_view(0);
    EXPECT_EQ(aircraft[1].explosion_frame, 4);
    for (int32_t k = 0; k < 200 * 300; ++k) ASSERT_NE(view_buffer[k] >> 16, 4u) << k;
    EXPECT_EQ(engine.depth_buffer[12345], -50.0f);
    // After picture 15 nothing more is drawn, the depth is still filled.
    aircraft[1].matrix = placed_at(0, 0, 0);
    aircraft[1].explosion_frame = 15;
    draw_player_view(0);
    EXPECT_EQ(aircraft[1].explosion_frame, 16);
    EXPECT_EQ(view(50, 100), 0u);
    EXPECT_EQ(engine.depth_buffer[12345], 0.1f);
}

TEST_F(MatchTest, BothDeadMeansNoiseInBothViewsFor37Frames)
{
    aircraft[1].matrix = placed_at(0, 30, 0);  // a collision
    run_frame();
    EXPECT_EQ(frag_timer, 255 - 7);
    EXPECT_STREQ(frag_message, "No one got a frag ...");
    EXPECT_EQ((std::vector<int32_t>{4}), sounds);
    // Both halves are grey noise, except the message in green 248 << 8,
    // centred: 21 characters from x = 200 - 84.
    EXPECT_EQ(shown(116, 151), 0x00F800u);
    EXPECT_EQ(shown(116 + 21 * 8 - 1, 159), 0x00F800u);
    EXPECT_TRUE(grey(shown(115, 151)));
    EXPECT_TRUE(grey(shown(116 + 21 * 8, 151)));
    EXPECT_TRUE(grey(shown(116, 150)));
    int32_t not_grey = 0, distinct = 0;
    for (int32_t y = 0; y < 300; ++y) {
        for (int32_t x = 0; x < 400; ++x) {
            not_grey += !grey(shown(x, y));
            distinct += x > 0 && shown(x, y) != shown(x - 1, y);
        }
    }
    EXPECT_EQ(not_grey, 21 * 8 * 9);
    EXPECT_GT(distinct, 100000);
    const int32_t frames = 1 + frames_until_next_round();
    EXPECT_EQ(frames, 37);
    EXPECT_EQ(aircraft[0].energy, 100);
    EXPECT_EQ(aircraft[1].energy, 100);
    EXPECT_EQ(aircraft[0].frags + aircraft[1].frags, 0);
    EXPECT_EQ(match_active, 1);
    // The frame that ends the sequence shows no message.
    EXPECT_TRUE(grey(shown(116, 151)));
}

TEST_F(MatchTest, OneDeadMeansOneNoisyViewFor43FramesAndAFrag)
{
    aircraft[1].energy = -5;
    run_frame();
    EXPECT_EQ(frag_timer, 255 - 6);
    EXPECT_STREQ(frag_message, "Player 1 got a frag ...");
    // Player 2's half is noise, player 1's shows his instruments.
    EXPECT_EQ(shown(78, 187), hud);
    EXPECT_TRUE(grey(shown(200 + 78, 187)));
    // Keys held during the sequence are cleared every frame.
    controls[0].accelerate = 1;
    controls[0].fire = 1;
    run_frame();
    EXPECT_EQ(aircraft[0].speed, 0.0f);
    EXPECT_EQ(shot_count, 0);
    EXPECT_EQ(aircraft[1].explosion_frame, 2);
    const int32_t frames = 2 + frames_until_next_round();
    EXPECT_EQ(frames, 43);
    EXPECT_EQ(aircraft[0].frags, 1);
    EXPECT_EQ(aircraft[1].frags, 0);
    EXPECT_EQ(aircraft[1].explosion_frame, 0);
}

TEST_F(MatchTest, ASurvivorAtZeroEnergyAlsoSeesNoiseAndNobodyScores)
{
    aircraft[0].energy = 0;  // twenty hits taken, still alive
    aircraft[1].energy = -5;
    const int32_t frames = frames_until_next_round();
    EXPECT_EQ(frames, 37);
    EXPECT_EQ(aircraft[0].frags + aircraft[1].frags, 0);
}

TEST_F(MatchTest, HalvesGoLeftAndRight)
{
    aircraft[0].energy = 55;
    aircraft[1].energy = 7;
    run_frame();
    ASSERT_EQ(frames_presented, 1);
    EXPECT_EQ(shown(78, 187), hud);
    EXPECT_EQ(shown(200 + 78, 187), hud);  // "  7 %": a space glyph
    EXPECT_EQ(shown(10, 1), hud);          // "Player 1 ..." at x 10
    EXPECT_NE(shown(200 + 0, 1), hud);     // "Player 2 ..." at x 0 of its view
    EXPECT_EQ(shown(200 + 1, 1), hud);
}

TEST_F(MatchTest, TheFirstFragEndsAMatchWithLimitOne)
{
    frag_limit = 1;
    aircraft[1].energy = -1;
    frames_until_next_round();
    EXPECT_EQ(aircraft[0].frags, 1);
    EXPECT_EQ(match_active, 0);
    EXPECT_EQ(winner_active, 1);
    EXPECT_EQ(match_winner, 1);
    EXPECT_EQ((std::vector<int32_t>{4, 4}), sounds);
}

TEST_F(MatchTest, AShotFromPlayerOneHitsPlayerTwoAFewFramesLater)
{
    aircraft[1].matrix = placed_at(0, 0, 500);
    controls[0].fire = 1;
    run_frame();
    controls[0].fire = 0;
    EXPECT_EQ(shot_count, 1);
    // Launched at 31 and 100 units further each frame; in the fifth frame
    // it is tested against player 2 at 431, 451 and 471 units: a hit.
    for (int32_t frame = 2; frame <= 4; ++frame) {
        run_frame();
        EXPECT_EQ(aircraft[1].energy, 100) << frame;
    }
    run_frame();
    EXPECT_EQ(aircraft[1].energy, 95);
    EXPECT_EQ(shot_count, 0);
    EXPECT_EQ((std::vector<int32_t>{2, 3}), sounds);
}

TEST_F(MatchTest, AeroplanesAnyDistanceApartDrawWithoutTrouble)
{
    // Positions far beyond any picture (no limit on the world): the
    // conversions to pixels must stay defined.
    const float far[] = {3.0e4f, 5.0e9f, 1.0e30f, -2.0e38f};
    for (float f : far) {
        aircraft[0].matrix = placed_at(0, 0, 0);
        aircraft[1].matrix = placed_at(f, -f, f * 0.5f);
        aircraft[1].energy = 0;
        aircraft[1].explosion_frame = 3;
        aircraft[0].speed = 1.0e30f;
        frag_timer = 200;
        draw_player_view(0);
        aircraft[1].matrix = placed_at(f, 0, 0.05f);
        draw_player_view(0);
        EXPECT_EQ(aircraft[1].explosion_frame, 5);
        EXPECT_EQ(count_in_view(speed_bar), 150);
    }
}

}  // namespace
