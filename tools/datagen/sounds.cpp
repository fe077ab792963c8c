// The five sound effects, synthesised sample by sample and packed as RIFF
// WAVE images in the exact formats and lengths the game's sound slots use:
//
//   "#103" menu move     22050 Hz  8-bit stereo  18,292 data bytes
//   "#111" menu choice   11025 Hz  8-bit mono    16,737 data bytes
//   "#112" shot          11025 Hz 16-bit mono     6,332 data bytes
//   "#110" hit           11025 Hz 16-bit mono     2,366 data bytes
//   "#108" frag          22050 Hz  8-bit mono    49,793 data bytes
#include <algorithm>
#include <cmath>

#include "../common/wave_writer.h"
#include "datagen.h"

namespace datagen {

namespace {

constexpr float two_pi = 6.28318530718f;

struct Format {
    int rate;
    int bits;
    int channels;
    uint32_t data_bytes;
    int frames() const { return int(data_bytes / uint32_t(bits / 8 * channels)); }
};

// One-pole low-pass filter.
struct LowPass {
    float y = 0.0f;
    float step(float x, float cutoff, float rate)
    {
        const float a = 1.0f - std::exp(-two_pi * cutoff / rate);
        y += a * (x - y);
        return y;
    }
};

// Scales the channels together to the peak, then shapes both ends so that
// the sound starts and stops at silence without a click.
void finish(std::vector<std::vector<float>>& ch, int rate, float peak, float fade_in_ms,
            float fade_out_ms)
{
    float top = 0.0f;
    for (auto& c : ch) {
        for (float s : c) top = std::max(top, std::fabs(s));
    }
    const float k = top > 0.0f ? peak / top : 0.0f;
    for (auto& c : ch) {
        const int n = int(c.size());
        const int in = std::max(1, int(fade_in_ms * float(rate) / 1000.0f));
        const int out = std::max(1, int(fade_out_ms * float(rate) / 1000.0f));
        for (int i = 0; i < n; ++i) {
            float g = k;
            if (i < in) g *= 0.5f - 0.5f * std::cos(3.14159265f * float(i) / float(in));
            if (i >= n - out) g *= 0.5f - 0.5f * std::cos(3.14159265f * float(n - 1 - i) / float(out));
            c[size_t(i)] *= g;
        }
    }
}

// The samples of the channels in the slot's format, packed as a WAVE image.
std::vector<uint8_t> encode(const Format& f, const std::vector<std::vector<float>>& ch)
{
    std::vector<uint8_t> data;
    const int frames = f.frames();
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < f.channels; ++c) {
            const float s = std::clamp(ch[size_t(c)][size_t(i)], -1.0f, 1.0f);
            if (f.bits == 8) {
                data.push_back(uint8_t(std::clamp(128 + int(std::lround(s * 127.0f)), 1, 255)));
            } else {
                const int v = std::clamp(int(std::lround(s * 32767.0f)), -32767, 32767);
                put_u16(data, uint32_t(uint16_t(int16_t(v))));
            }
        }
    }
    // A count of bytes that is not a whole number of frames keeps one
    // silent byte at the end.
    while (data.size() < f.data_bytes) data.push_back(f.bits == 8 ? 128 : 0);
    return wave_image(uint16_t(f.channels), uint32_t(f.rate), uint16_t(f.bits), data);
}

// A short bright blip with a soft echo that wanders to the other side.
std::vector<uint8_t> menu_move()
{
    const Format f{22050, 8, 2, 18292};
    const int n = f.frames();
    const float rate = float(f.rate);
    auto blip = [&](float t) {
        if (t < 0.0f || t > 0.2f) return 0.0f;
        // The pitch glides from 1320 Hz up to 1560 Hz in the first moments.
        const float phase = two_pi * (1320.0f * t + 240.0f * (t + 0.012f * (std::exp(-t / 0.012f) - 1.0f)));
        const float env = (1.0f - std::exp(-t / 0.0015f)) * std::exp(-t / 0.035f);
        return env * (std::sin(phase) + 0.22f * std::sin(2.0f * phase) + 0.06f * std::sin(3.0f * phase));
    };
    std::vector<std::vector<float>> ch(2, std::vector<float>(size_t(n)));
    for (int i = 0; i < n; ++i) {
        const float t = float(i) / rate;
        const float dry = blip(t);
        const float e1 = blip(t - 0.105f), e2 = blip(t - 0.21f);
        ch[0][size_t(i)] = dry + 0.12f * e1 + 0.14f * e2;
        ch[1][size_t(i)] = 0.82f * dry + 0.3f * e1 + 0.05f * e2;
    }
    finish(ch, f.rate, 0.85f, 1.0f, 20.0f);
    return encode(f, ch);
}

// A bell-like rising arpeggio of three notes (G5, D6, G6).
std::vector<uint8_t> menu_choice()
{
    const Format f{11025, 8, 1, 16737};
    const int n = f.frames();
    const float rate = float(f.rate);
    struct Note {
        float start, freq, level;
    };
    const Note notes[] = {{0.0f, 783.99f, 1.0f}, {0.075f, 1174.66f, 0.85f}, {0.15f, 1567.98f, 0.7f}};
    const float partial[] = {1.0f, 2.0f, 3.01f, 4.17f};
    const float amp[] = {1.0f, 0.32f, 0.1f, 0.05f};
    const float decay[] = {0.42f, 0.2f, 0.09f, 0.05f};
    std::vector<std::vector<float>> ch(1, std::vector<float>(size_t(n)));
    for (int i = 0; i < n; ++i) {
        const float t = float(i) / rate;
        float s = 0.0f;
        for (const Note& note : notes) {
            const float u = t - note.start;
            if (u < 0.0f) continue;
            const float attack = 1.0f - std::exp(-u / 0.002f);
            for (int p = 0; p < 4; ++p) {
                const float fr = note.freq * partial[p];
                if (fr > 5000.0f) continue;
                s += note.level * amp[p] * attack * std::exp(-u / decay[p]) * std::sin(two_pi * fr * u);
            }
        }
        ch[0][size_t(i)] = s;
    }
    finish(ch, f.rate, 0.8f, 1.0f, 120.0f);
    return encode(f, ch);
}

// A cannon-laser shot: a noisy crack, a falling zap and a low thump.
std::vector<uint8_t> shot()
{
    const Format f{11025, 16, 1, 6332};
    const int n = f.frames();
    const float rate = float(f.rate);
    Rng rng(0x5407);
    LowPass crack_lp, zap_lp;
    std::vector<std::vector<float>> ch(1, std::vector<float>(size_t(n)));
    float phase = 0.0f, thump = 0.0f;
    for (int i = 0; i < n; ++i) {
        const float t = float(i) / rate;
        const float freq = 110.0f + 1500.0f * std::exp(-t / 0.045f);
        phase += two_pi * freq / rate;
        const float zap = std::tanh(2.5f * std::sin(phase)) * std::exp(-t / 0.075f);
        const float thump_freq = 48.0f + 70.0f * std::exp(-t / 0.03f);
        thump += two_pi * thump_freq / rate;
        const float low = std::sin(thump) * std::exp(-t / 0.06f);
        const float noise = crack_lp.step(rng.range(-1.0f, 1.0f), 2600.0f, rate) * std::exp(-t / 0.012f);
        const float s = 0.55f * zap_lp.step(zap, 3000.0f, rate) + 0.7f * low + 2.2f * noise;
        ch[0][size_t(i)] = std::tanh(1.6f * s);
    }
    finish(ch, f.rate, 0.9f, 0.5f, 25.0f);
    return encode(f, ch);
}

// A metallic clang: inharmonic partials that ring out fast, on a click.
std::vector<uint8_t> hit()
{
    const Format f{11025, 16, 1, 2366};
    const int n = f.frames();
    const float rate = float(f.rate);
    const float freq[] = {523.0f, 1307.0f, 1871.0f, 2641.0f, 3512.0f, 4270.0f};
    const float amp[] = {1.0f, 0.75f, 0.55f, 0.4f, 0.28f, 0.18f};
    const float decay[] = {0.05f, 0.038f, 0.03f, 0.022f, 0.016f, 0.012f};
    Rng rng(0x4177);
    LowPass lp;
    std::vector<std::vector<float>> ch(1, std::vector<float>(size_t(n)));
    for (int i = 0; i < n; ++i) {
        const float t = float(i) / rate;
        float s = 0.0f;
        for (int p = 0; p < 6; ++p) s += amp[p] * std::exp(-t / decay[p]) * std::sin(two_pi * freq[p] * t + float(p));
        s += 1.5f * lp.step(rng.range(-1.0f, 1.0f), 3500.0f, rate) * std::exp(-t / 0.004f);
        ch[0][size_t(i)] = s;
    }
    finish(ch, f.rate, 0.9f, 0.3f, 15.0f);
    return encode(f, ch);
}

// A big explosion: a sharp crack, a roaring body whose filter closes as it
// dies away, a second blast, crackling debris and a deep rumble.
std::vector<uint8_t> frag()
{
    const Format f{22050, 8, 1, 49793};
    const int n = f.frames();
    const float rate = float(f.rate);
    Rng rng(0xB00B);
    LowPass body1, body2, second1, second2, crack_lp, crackle_lp, wobble;
    std::vector<std::vector<float>> ch(1, std::vector<float>(size_t(n)));
    float rumble_phase = 0.0f;
    float crackle_env = 0.0f;
    for (int i = 0; i < n; ++i) {
        const float t = float(i) / rate;
        const float white = rng.range(-1.0f, 1.0f);

        // Roar: noise whose low-pass cutoff falls from 5 kHz to 150 Hz.
        const float cutoff = 150.0f + 4800.0f * std::exp(-t / 0.22f);
        const float roar = body2.step(body1.step(white, cutoff, rate), cutoff, rate);
        const float roar_env = (1.0f - std::exp(-t / 0.004f)) * (0.75f * std::exp(-t / 0.45f) + 0.25f * std::exp(-t / 1.1f));

        // A second blast a third of a second later.
        const float t2 = t - 0.34f;
        float second = 0.0f;
        if (t2 > 0.0f) {
            const float c2 = 120.0f + 2500.0f * std::exp(-t2 / 0.15f);
            second = second2.step(second1.step(white, c2, rate), c2, rate) * (1.0f - std::exp(-t2 / 0.006f)) *
                     std::exp(-t2 / 0.35f);
        }

        // The crack at the start.
        const float crack = (white - crack_lp.step(white, 900.0f, rate)) * std::exp(-t / 0.018f);

        // Debris: sparse bursts of bright noise.
        if (t > 0.12f && t < 1.7f && rng.next() < 0.0016f * std::exp(-t / 0.7f) * 4.0f) crackle_env = rng.range(0.3f, 1.0f);
        crackle_env *= std::exp(-1.0f / (0.004f * rate));
        const float crackle = crackle_lp.step(white, 2500.0f, rate) * crackle_env;

        // Rumble: a low tone that wavers in pitch.
        const float w = wobble.step(rng.range(-1.0f, 1.0f), 3.0f, rate);
        rumble_phase += two_pi * (42.0f + 600.0f * w) / rate;
        const float rumble = std::sin(rumble_phase) * (1.0f - std::exp(-t / 0.03f)) * std::exp(-t / 0.8f);

        const float s = 5.0f * roar * roar_env + 3.5f * second + 0.9f * crack + 0.9f * crackle + 0.55f * rumble;
        ch[0][size_t(i)] = std::tanh(1.3f * s);
    }
    finish(ch, f.rate, 0.92f, 1.0f, 250.0f);
    return encode(f, ch);
}

}  // namespace

std::vector<WaveSound> make_sounds()
{
    return {
        {"#103", "menu_move.wav", menu_move()},
        {"#111", "menu_choice.wav", menu_choice()},
        {"#112", "shot.wav", shot()},
        {"#110", "hit.wav", hit()},
        {"#108", "frag.wav", frag()},
    };
}

}  // namespace datagen
