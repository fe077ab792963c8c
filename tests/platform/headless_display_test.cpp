// The headless display: two buffers by turns, presented frames handed to
// the driver, and the test controls.
#include "platform/display.h"
#include "platform/headless.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Presented {
    std::vector<std::vector<uint32_t>> frames;
    int32_t width = 0;
    int32_t height = 0;
};

void on_frame(const uint32_t* pixels, int32_t width, int32_t height, void* user)
{
    Presented* p = static_cast<Presented*>(user);
    p->frames.emplace_back(pixels, pixels + size_t(width) * size_t(height));
    p->width = width;
    p->height = height;
}

class HeadlessDisplay : public ::testing::Test {
protected:
    Presented presented;
    void SetUp() override
    {
        headless_reset();
        HeadlessDriver driver = {};
        driver.frame_presented = on_frame;
        driver.user = &presented;
        headless_set_driver(&driver);
    }
    void TearDown() override { headless_reset(); }
};

}  // namespace

TEST_F(HeadlessDisplay, BuffersAlternateStartingWithBAndKeepTheirPictures)
{
    ASSERT_EQ(display_init(nullptr, 40, 30), 0);
    EXPECT_EQ(headless_draw_to_a(), 0);
    uint32_t* first = nullptr;
    uint32_t* second = nullptr;
    uint32_t* third = nullptr;
    ASSERT_EQ(display_lock_frame(&first), 1);
    for (int i = 0; i < 40 * 30; ++i) first[i] = 0x00112233;
    display_present();
    EXPECT_EQ(headless_draw_to_a(), 1);
    ASSERT_EQ(display_lock_frame(&second), 1);
    EXPECT_NE(second, first);
    EXPECT_EQ(second[0], 0u);  // a fresh buffer is black
    second[5] = 0x00FF0000;
    display_present();
    EXPECT_EQ(headless_draw_to_a(), 0);
    ASSERT_EQ(display_lock_frame(&third), 1);
    EXPECT_EQ(third, first);
    EXPECT_EQ(third[40 * 30 - 1], 0x00112233u);  // drawn two frames earlier
    display_present();

    ASSERT_EQ(presented.frames.size(), 3u);
    EXPECT_EQ(presented.width, 40);
    EXPECT_EQ(presented.height, 30);
    EXPECT_EQ(presented.frames[0][0], 0x00112233u);
    EXPECT_EQ(presented.frames[1][5], 0x00FF0000u);
    EXPECT_EQ(presented.frames[1][0], 0u);
}

TEST_F(HeadlessDisplay, AFailedLockLeavesTheTurnUnchanged)
{
    ASSERT_EQ(display_init(nullptr, 8, 8), 0);
    uint32_t* b = nullptr;
    ASSERT_EQ(display_lock_frame(&b), 1);
    display_present();
    headless_fail_next_locks(2);
    uint32_t* pixels = nullptr;
    EXPECT_EQ(display_lock_frame(&pixels), 0);
    EXPECT_EQ(display_lock_frame(&pixels), 0);
    EXPECT_EQ(pixels, nullptr);
    EXPECT_EQ(headless_draw_to_a(), 1);
    ASSERT_EQ(display_lock_frame(&pixels), 1);
    EXPECT_NE(pixels, b);  // still A's turn
    EXPECT_EQ(presented.frames.size(), 1u);
}

TEST_F(HeadlessDisplay, RefusesSizesBeyondTheLimitAndFallsBack)
{
    headless_set_display_limit(640, 480);
    ASSERT_EQ(display_init(nullptr, 640, 480), 0);
    display_shutdown();
    EXPECT_NE(display_init(nullptr, 800, 600), 0);
    EXPECT_NE(display_init(nullptr, 641, 400), 0);
    uint32_t* pixels = nullptr;
    EXPECT_EQ(display_lock_frame(&pixels), 0);
    // The resolution change then asks for the old size again, without a
    // shutdown in between.
    ASSERT_EQ(display_init(nullptr, 400, 300), 0);
    ASSERT_EQ(display_lock_frame(&pixels), 1);
    display_present();
    EXPECT_EQ(presented.width, 400);
    headless_set_display_limit(0, 0);
    EXPECT_EQ(display_init(nullptr, 1024, 768), 0);
}

TEST_F(HeadlessDisplay, RefusesSizesThatAreNotPositive)
{
    EXPECT_NE(display_init(nullptr, 0, 300), 0);
    EXPECT_NE(display_init(nullptr, 400, -1), 0);
    uint32_t* pixels = nullptr;
    EXPECT_EQ(display_lock_frame(&pixels), 0);
}

TEST_F(HeadlessDisplay, ShutdownIsHarmlessTwiceAndInitWorksAgainAtAnotherSize)
{
    display_shutdown();
    display_present();  // no display: nothing happens
    EXPECT_TRUE(presented.frames.empty());
    ASSERT_EQ(display_init(nullptr, 400, 300), 0);
    display_shutdown();
    display_shutdown();
    uint32_t* pixels = nullptr;
    EXPECT_EQ(display_lock_frame(&pixels), 0);
    display_present();
    EXPECT_TRUE(presented.frames.empty());
    EXPECT_EQ(display_restore(), 0);

    ASSERT_EQ(display_init(nullptr, 512, 384), 0);
    ASSERT_EQ(display_lock_frame(&pixels), 1);
    pixels[512 * 384 - 1] = 0x00ABCDEF;
    display_present();
    ASSERT_EQ(presented.frames.size(), 1u);
    EXPECT_EQ(presented.width, 512);
    EXPECT_EQ(presented.height, 384);
    EXPECT_EQ(presented.frames[0].back(), 0x00ABCDEFu);
}
