// The game's real sound: the game binary on a private X server with SDL's
// disk audio driver, which writes the mixed output (44,100 Hz, 16-bit,
// stereo) to a file at the pace of a sound card. The menu moves twice, a
// match starts and player 1 fires: the file must hold those sounds, each
// the game's own clip, in that order and spaced as the keys were.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <numbers>
#include <thread>

#include "platform/common/wave_clip.h"
#include "platform/resources.h"
#include "window_game_support.h"

namespace {

constexpr double output_rate = 44100.0;

void sleep_until(double when)
{
    const double left = when - now_seconds();
    if (left > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(left));
    }
}

// The mixer's output: 16-bit little-endian stereo frames, as one channel
// (the mean of both).
std::vector<double> read_output(const std::string& path)
{
    const std::vector<uint8_t> bytes = read_file(path);
    std::vector<double> samples(bytes.size() / 4);
    for (size_t i = 0; i < samples.size(); ++i) {
        const uint8_t* b = &bytes[4 * i];
        const int16_t left = static_cast<int16_t>(b[0] | (b[1] << 8));
        const int16_t right = static_cast<int16_t>(b[2] | (b[3] << 8));
        samples[i] = (left + right) / 65536.0;
    }
    return samples;
}

// A sound effect of the program's resource table at the output's rate, as
// one channel: the clip's samples (8-bit unsigned or 16-bit signed) taken
// to -1..1, its channels averaged, then resampled by linear interpolation.
std::vector<double> clip_at_output_rate(const char* resource)
{
    const uint8_t* image = nullptr;
    uint32_t size = 0;
    WaveClip clip;
    if (!find_resource(resource, "WAVE", &image, &size) || !wave_read_clip(image, size, &clip)) {
        ADD_FAILURE() << "no playable WAVE resource " << resource;
        return {};
    }
    const uint32_t bytes_per_sample = clip.bits / 8u;
    const size_t frames = clip.size / (bytes_per_sample * clip.channels);
    std::vector<double> source(frames);
    for (size_t f = 0; f < frames; ++f) {
        double sum = 0;
        for (uint32_t c = 0; c < clip.channels; ++c) {
            const uint8_t* s = clip.data + (f * clip.channels + c) * bytes_per_sample;
            sum += clip.bits == 8 ? (s[0] - 128) / 128.0 : static_cast<int16_t>(s[0] | (s[1] << 8)) / 32768.0;
        }
        source[f] = sum / clip.channels;
    }
    const size_t count = static_cast<size_t>(static_cast<double>(frames) * output_rate / clip.rate);
    std::vector<double> out(count);
    for (size_t n = 0; n < count; ++n) {
        const double at = static_cast<double>(n) * clip.rate / output_rate;
        const size_t i = static_cast<size_t>(at);
        const double t = at - static_cast<double>(i);
        out[n] = i + 1 < frames ? source[i] * (1 - t) + source[i + 1] * t : source[std::min(i, frames - 1)];
    }
    return out;
}

using Spectrum = std::vector<std::complex<double>>;

// In-place radix-2 FFT (inverse without the 1/n).
void fft(Spectrum& a, bool inverse)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = 2 * std::numbers::pi / static_cast<double>(length) * (inverse ? 1 : -1);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += length) {
            std::complex<double> w(1);
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> u = a[i + k], v = a[i + k + length / 2] * w;
                a[i + k] = u + v;
                a[i + k + length / 2] = u - v;
                w *= step;
            }
        }
    }
}

struct Found {
    size_t at;     // output sample where the clip starts
    double score;  // normalised cross-correlation there
};

// Every place where the clip starts in the output: the normalised
// cross-correlation (1 for an exact copy at any volume) at least `least`,
// and the best within one clip's length.
std::vector<Found> find_clip(const std::vector<double>& output, const std::vector<double>& clip, double least)
{
    const size_t n = output.size(), m = clip.size();
    if (m == 0 || n < m) {
        return {};
    }
    size_t size = 1;
    while (size < n + m) {
        size <<= 1;
    }
    Spectrum a(size), b(size);
    for (size_t i = 0; i < n; ++i) {
        a[i] = output[i];
    }
    double clip_energy = 0;
    for (size_t i = 0; i < m; ++i) {
        b[i] = clip[i];
        clip_energy += clip[i] * clip[i];
    }
    fft(a, false);
    fft(b, false);
    for (size_t i = 0; i < size; ++i) {
        a[i] *= std::conj(b[i]);
    }
    fft(a, true);
    std::vector<double> energy(n + 1, 0.0);  // running sum of squares of the output
    for (size_t i = 0; i < n; ++i) {
        energy[i + 1] = energy[i] + output[i] * output[i];
    }
    std::vector<double> score(n - m + 1, 0.0);
    for (size_t k = 0; k + m <= n; ++k) {
        const double window = energy[k + m] - energy[k];
        if (window > 1e-9 * static_cast<double>(m)) {
            score[k] = a[k].real() / static_cast<double>(size) / std::sqrt(window * clip_energy);
        }
    }
    std::vector<Found> found;
    for (size_t k = 0; k < score.size(); ++k) {
        if (score[k] < least) {
            continue;
        }
        const size_t from = k >= m ? k - m : 0, to = std::min(score.size(), k + m + 1);
        if (*std::max_element(score.begin() + static_cast<std::ptrdiff_t>(from),
                              score.begin() + static_cast<std::ptrdiff_t>(to)) == score[k]) {
            found.push_back({k, score[k]});
            k += m;
        }
    }
    return found;
}

double seconds(size_t samples)
{
    return static_cast<double>(samples) / output_rate;
}

}  // namespace

TEST(RealSound, MenuMovesNewGameAndAShotSoundInOrderAtTheirTimes)
{
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    GameCopy copy;
    const std::string audio = copy.path("output.raw");
    GameOnScreen run;
    const std::string error = run.start(
        400, 300, VALKRON_GAME_PATH,
        {copy.game.path(), {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + audio}, {}, ""});
    ASSERT_EQ(error, "");
    ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 0"), "menu 0", 15.0));

    // Down and Up: the menu's move sound (slot 0) twice, a second apart;
    // Enter on New game: the choice sound (slot 1); Home held for a tenth
    // of a second: the shot (slot 2), started again on every frame while
    // held, so the last start plays whole.
    const double down = now_seconds();
    ASSERT_TRUE(run.press({"Down"}, frames.at("menu 1"), "menu 1"));
    sleep_until(down + 1.0);
    const double up = now_seconds();
    ASSERT_TRUE(run.press({"Up"}, frames.at("menu 0"), "menu 0"));
    sleep_until(up + 1.0);
    const double enter = now_seconds();
    ASSERT_TRUE(run.screen.key({"Return"}));
    sleep_until(enter + 2.0);
    const double fire = now_seconds();
    ASSERT_TRUE(run.screen.key_down({"Home"}));
    sleep_until(fire + 0.1);
    const double release = now_seconds();
    ASSERT_TRUE(run.screen.key_up({"Home"}));
    sleep_until(release + 0.8);
    ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 0"), "menu 0"));
    ASSERT_TRUE(run.screen.key({"Escape"}));
    ASSERT_EQ(run.ended(), 0) << run.game_output();

    const std::vector<double> output = read_output(audio);
    ASSERT_GT(seconds(output.size()), release - down) << "the output is shorter than the run";
    const std::vector<Found> moves = find_clip(output, clip_at_output_rate("#103"), 0.9);
    const std::vector<Found> choices = find_clip(output, clip_at_output_rate("#111"), 0.9);
    const std::vector<Found> shots = find_clip(output, clip_at_output_rate("#112"), 0.9);
    ASSERT_EQ(moves.size(), 2u);
    ASSERT_EQ(choices.size(), 1u);
    ASSERT_EQ(shots.size(), 1u);

    // Times from the first sound on, against the times of the keys. Between
    // a key and its sound lie the delivery of the key, up to one frame (for
    // the shot) and up to one mixer buffer (23 ms); the disk driver's pace
    // follows the clock closely but not exactly.
    const double tolerance = 0.1;
    const double start = seconds(moves[0].at);
    EXPECT_NEAR(seconds(moves[1].at) - start, up - down, tolerance);
    EXPECT_NEAR(seconds(choices[0].at) - start, enter - down, tolerance);
    const double shot = seconds(shots[0].at) - start;
    EXPECT_GT(shot, fire - down - tolerance);
    EXPECT_LT(shot, release - down + 0.034 + tolerance);
    EXPECT_LT(moves[1].at, choices[0].at);
    EXPECT_LT(choices[0].at, shots[0].at);
    for (const auto& f : {moves[0], moves[1], choices[0], shots[0]}) {
        EXPECT_GT(f.score, 0.95) << "at " << seconds(f.at) << " s";
    }
}
