// Whole matches through valkron-sim: the program runs as the game does, on
// the headless platform; a test bot reads each tick's trace line and sends
// the keys of the next tick.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim_runner.h"

namespace {

// The seven held keys of one player, in the order of the key table.
enum Key { accelerate, brake, turn_left, turn_right, pitch_up, pitch_down, fire, key_count };
using Keys = std::array<bool, key_count>;

const char* const key_names[2][key_count] = {
    {"Insert", "Delete", "Left", "Right", "Up", "Down", "Home"},
    {"1", "2", "A", "D", "W", "S", "3"},
};

struct TickRecord {
    Json line;
    std::array<Keys, 2> held{};  // keys sent down before this tick
};

// The opponent seen from the player: offsets along his own axes.
struct Sight {
    double x, y, z, distance, right, down;  // angles to the right and downwards
};

Sight sight(const Json& me, const Json& other)
{
    const Json& m = me["matrix"];
    double d[3];
    for (int k = 0; k < 3; ++k) d[k] = other["pos"][k].value - me["pos"][k].value;
    double local[3];
    for (int row = 0; row < 3; ++row) {
        double dot = 0, length = 0;
        for (int k = 0; k < 3; ++k) {
            dot += d[k] * m[4 * row + k].value;
            length += m[4 * row + k].value * m[4 * row + k].value;
        }
        local[row] = dot / length;
    }
    Sight s{local[0], local[1], local[2], std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]), 0, 0};
    s.right = std::atan2(s.x, s.z);
    s.down = std::atan2(s.y, s.z);
    return s;
}

// The angle still turned after letting go of a turn at rate w.
double coasting_angle(double w)
{
    double sum = 0, a = std::fabs(w);
    while ((a -= 0.03) > 0) sum += a;
    return w < 0 ? -sum : sum;
}

// +1 to turn so that the error e shrinks, -1 the other way, 0 to let go;
// w is the present rate in the direction that shrinks e.
int steer(double e, double w)
{
    const double tolerance = 0.003;
    const double error = e - coasting_angle(w);
    if (error > tolerance) return w < -0.03 ? 0 : 1;
    if (error < -tolerance) return w > 0.03 ? 0 : -1;
    return 0;
}

// Flies towards the opponent, stops a few hundred units short and fires
// while he is in the sights.
Keys hunt(const Json& me, const Json& other)
{
    Keys k{};
    const Sight s = sight(me, other);
    const int yaw = steer(s.right, -me["yaw_rate"].value);
    k[turn_right] = yaw > 0;
    k[turn_left] = yaw < 0;
    const int pitch = steer(s.down, -me["pitch_rate"].value);
    k[pitch_down] = pitch > 0;
    k[pitch_up] = pitch < 0;

    const bool aligned = std::fabs(s.right) < 0.2 && std::fabs(s.down) < 0.2;
    const double wanted =
        aligned ? std::min(50.0, std::sqrt(std::max(0.0, 2.2 * (s.distance - 350.0)))) : 5.0;
    const double speed = me["speed"].value;
    k[accelerate] = speed < wanted - 3.0;
    k[brake] = !k[accelerate] && speed > wanted + 1.0;
    const double aim = std::min(0.04, 25.0 / s.distance);
    k[fire] = s.z > 0 && s.distance < 1600 && std::fabs(s.right) < aim && std::fabs(s.down) < aim;
    return k;
}

// The flight model's rules, for checking the trace tick by tick.
void speed_rule(float& speed, float& thrust, bool acc, bool brk)
{
    if (acc) {
        if (speed < 50.0f) {
            thrust += 0.5f;
            speed += thrust;
        } else {
            speed = 50.0f;
        }
    } else if (brk) {
        if (speed <= 0.0f) {
            speed = 0.0f;
        } else {
            thrust = 0.0f;
            speed -= 1.1f;
        }
    } else {
        thrust = 0.0f;
        speed = speed <= 0.0f ? 0.0f : speed - 0.4f;
    }
}

void rate_rule(float& rate, bool raise, bool lower)
{
    if (raise) {
        rate = rate < 0.15707963f ? rate + 0.015f : 0.15707964f;
    } else if (lower) {
        rate = rate <= -0.15707963f ? -0.15707964f : rate - 0.015f;
    } else if (rate > 0.0f) {
        rate -= 0.03f;
        if (rate < 0.0f) rate = 0.0f;
    } else if (rate < 0.0f) {
        rate += 0.03f;
        if (rate > 0.0f) rate = 0.0f;
    }
}

int count_of(const Json& sounds, int slot)
{
    int n = 0;
    for (const Json& s : sounds.items) n += s.integer() == slot;
    return n;
}

class SimMatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!sim_program()) {
            GTEST_SKIP() << "valkron-sim is not part of this build";
        }
        if (!std::filesystem::exists(copy.game.file("Fonts.tex"))) {
            GTEST_SKIP() << "no game directory at " << VALKRON_GAME_DIR;
        }
        copy.game.write("settings.ini",
                        "ResX=400\nResY=300\nLimit=2\nPlane.0=0\nPlane.1=3\nName.0=Ann\nName.1=Bob\n");
    }

    // Runs the game from its start with the bot until it ends or
    // max_ticks pass. The record of every tick goes to trace.
    void play(uint32_t seed, int max_ticks)
    {
        SimProcess sim;
        ASSERT_TRUE(sim.start(copy.game.path(), {"--seed", std::to_string(seed), "--keys", "-", "--trace",
                                                 "-", "--ticks", std::to_string(max_ticks)}));
        std::array<Keys, 2> held{};
        std::vector<std::string> script;  // what was sent, for reproduction
        auto send = [&](int tick, const std::string& what, const char* key) {
            const std::string line = std::to_string(tick) + " " + what + " " + key + "\n";
            sim.send(line);
            script.push_back(line);
        };
        sim.send("1 go\n");
        int match_start = 0;
        bool entered = false, left_menu = false, won = false;
        std::string text;
        while (sim.read_line(text)) {
            TickRecord record{Json{}, held};
            ASSERT_TRUE(parse_json(text, record.line)) << text;
            const Json& line = record.line;
            trace.push_back(record);
            const int tick = line["tick"].integer();
            const std::string mode = line["mode"].text;
            const int next = tick + 1;

            std::array<Keys, 2> wish{};
            if (mode == "intro" && tick == 1) {
                send(next, "down", "Escape");
            } else if (mode == "intro" && tick == 2) {
                send(next, "up", "Escape");
            } else if (mode == "menu" && !entered) {
                send(next, "down", "Enter");
                entered = true;
            } else if (mode == "menu" && won && !left_menu) {
                send(next, "down", "Escape");  // saves the settings and ends the program
                left_menu = true;
            } else if (mode == "winner") {
                won = true;
            } else if (mode == "match") {
                if (match_start == 0) {
                    match_start = tick;
                    send(next, "up", "Enter");
                }
                const int t = next - match_start;  // match frames before the next one
                const Json& p1 = line["players"][0];
                const Json& p2 = line["players"][1];
                if (t <= 12) {
                    // Both accelerate, turn and fire.
                    wish[0][accelerate] = wish[0][turn_left] = wish[0][fire] = true;
                    wish[1][accelerate] = wish[1][turn_right] = wish[1][pitch_up] = true;
                    wish[1][fire] = true;
                } else {
                    wish[0] = hunt(p1, p2);
                    wish[1][brake] = p2["speed"].value > 0;
                }
            }
            for (int p = 0; p < 2; ++p) {
                for (int k = 0; k < key_count; ++k) {
                    if (wish[p][k]) {
                        send(next, "down", key_names[p][k]);  // like the keyboard's repeat
                    } else if (held[p][k]) {
                        send(next, "up", key_names[p][k]);
                    }
                }
            }
            held = wish;
            sim.send(std::to_string(next) + " go\n");
        }
        EXPECT_EQ(sim.finish(), 0);
        if (const char* out = std::getenv("VALKRON_SIM_SCRIPT_OUT")) {
            std::ofstream file(out);
            file << "# seed " << seed << "\n";
            for (const std::string& s : script) file << s;
        }
    }

    GameCopy copy;
    std::vector<TickRecord> trace;
};

TEST_F(SimMatchTest, AFightToTheFragLimitFollowsTheNumbersTickByTick)
{
    play(20240613u, 6000);
    ASSERT_FALSE(trace.empty());

    // The run: intro, menu, match, winner screen, menu, and the end.
    std::vector<std::string> modes;
    for (const TickRecord& r : trace) {
        const std::string& m = r.line["mode"].text;
        if (modes.empty() || modes.back() != m) modes.push_back(m);
    }
    ASSERT_EQ((std::vector<std::string>{"intro", "menu", "match", "winner", "menu"}), modes);

    int match_ticks = 0, hits = 0, deaths = 0, rounds = 0, winner_lines = 0;
    for (size_t i = 1; i < trace.size(); ++i) {
        const Json& prev = trace[i - 1].line;
        const Json& cur = trace[i].line;
        const int tick = cur["tick"].integer();
        winner_lines += cur["mode"].text == "winner";
        if (prev["mode"].text != "match") {
            if (cur["mode"].text == "match") {
                // New game: full energies, no frags, at rest, sound 1.
                EXPECT_EQ(count_of(cur["sounds"], 1), 1);
                EXPECT_EQ(cur["frag_limit"].integer(), 2);
                for (int p = 0; p < 2; ++p) {
                    EXPECT_EQ(cur["players"][p]["energy"].integer(), 100);
                    EXPECT_EQ(cur["players"][p]["frags"].integer(), 0);
                }
            }
            continue;
        }
        ++match_ticks;
        const int prev_timer = prev["frag_timer"].integer();
        const int timer = cur["frag_timer"].integer();
        const bool round_reset = prev_timer > 0 && timer <= 0;
        const bool running = prev_timer > 0 || timer > 0;  // keys cleared before the flight
        const Json& sounds = cur["sounds"];

        // Energies: a death registered from a negative energy, hits of 5.
        int base[2], lost = 0, registered = 0;
        const double dx = prev["players"][0]["pos"][0].value - prev["players"][1]["pos"][0].value;
        const double dy = prev["players"][0]["pos"][1].value - prev["players"][1]["pos"][1].value;
        const double dz = prev["players"][0]["pos"][2].value - prev["players"][1]["pos"][2].value;
        const double apart = std::sqrt(dx * dx + dy * dy + dz * dz);
        const bool collision = prev_timer <= 0 && apart < 39.9;
        for (int p = 0; p < 2; ++p) {
            const int before = prev["players"][p]["energy"].integer();
            base[p] = (before < 0 || collision) ? 0 : before;
            registered += before < 0 || collision;
        }
        if (registered > 0) {
            ++deaths;
            EXPECT_EQ(count_of(sounds, 4), 1) << tick;
            EXPECT_GT(timer, 240) << tick;
        }
        int dead_views = 0;
        for (int p = 0; p < 2; ++p) {
            const Json& c = cur["players"][p];
            if (round_reset) {
                EXPECT_EQ(c["energy"].integer(), 100) << tick;
                EXPECT_EQ(c["speed"].value, 0.0) << tick;
                EXPECT_EQ(c["explosion_frame"].integer(), 0) << tick;
                continue;
            }
            const int drop = base[p] - c["energy"].integer();
            EXPECT_GE(drop, 0) << tick;
            EXPECT_EQ(drop % 5, 0) << tick;
            lost += drop / 5;
            dead_views += (running && base[p] == 0);
        }
        if (!round_reset) {
            EXPECT_EQ(count_of(sounds, 3), lost) << tick;
            hits += lost;
        }

        // The frag timer: 255 at a death, then -5 a frame and -1 per noisy view.
        if (running && !round_reset) {
            const int start = registered > 0 ? 255 : prev_timer;
            EXPECT_EQ(timer, start - 5 - dead_views) << tick;
        }
        if (round_reset) {
            ++rounds;
            const int won = cur["players"][0]["frags"].integer() - prev["players"][0]["frags"].integer();
            const int won2 = cur["players"][1]["frags"].integer() - prev["players"][1]["frags"].integer();
            EXPECT_LE(won + won2, 1) << tick;
            EXPECT_EQ(cur["shot_count"].integer(), 0) << tick;
        }

        // Flight: speeds and turn rates follow the held keys exactly.
        const std::array<Keys, 2>& keys = trace[i].held;
        int firing = 0;
        for (int p = 0; p < 2; ++p) {
            const Json& a = prev["players"][p];
            const Json& c = cur["players"][p];
            Keys k = keys[p];
            if (running) k = Keys{};
            firing += k[fire];
            float speed = a["speed"].f32(), thrust = a["thrust"].f32();
            speed_rule(speed, thrust, k[accelerate], k[brake]);
            float yaw = a["yaw_rate"].f32(), pitch = a["pitch_rate"].f32();
            rate_rule(yaw, k[turn_left], k[turn_right]);
            rate_rule(pitch, k[pitch_up], k[pitch_down]);
            EXPECT_EQ(c["thrust"].f32(), thrust) << tick << " player " << p;
            EXPECT_EQ(c["yaw_rate"].f32(), yaw) << tick << " player " << p;
            EXPECT_EQ(c["pitch_rate"].f32(), pitch) << tick << " player " << p;
            if (round_reset || cur["mode"].text != "match") continue;
            EXPECT_EQ(c["speed"].f32(), speed) << tick << " player " << p;
            // Moved by the new speed along the nose it had before turning.
            for (int axis = 0; axis < 3; ++axis) {
                const double expected =
                    a["pos"][axis].value + speed * a["matrix"][8 + axis].value;
                EXPECT_NEAR(c["pos"][axis].value, expected, 1e-3 * (1 + std::fabs(expected)))
                    << tick;
            }
        }
        EXPECT_EQ(count_of(sounds, 2), firing) << tick;
    }

    const Json& last_match = [&]() -> const Json& {
        for (size_t i = trace.size(); i-- > 0;) {
            if (trace[i].line["mode"].text == "winner" && trace[i - 1].line["mode"].text == "match")
                return trace[i].line;
        }
        return trace.back().line;
    }();
    EXPECT_EQ(last_match["match_winner"].integer(), 1);
    EXPECT_EQ(last_match["players"][0]["frags"].integer(), 2);
    EXPECT_EQ(count_of(last_match["sounds"], 4), 1);
    EXPECT_EQ(winner_lines, 38);
    EXPECT_GE(hits, 42);
    EXPECT_GE(deaths, 2);
    EXPECT_GE(rounds, 2);
    EXPECT_GT(match_ticks, 100);

    // The opening: both accelerate from rest (0.5, 1.5, 3 ...), turn and fire.
    size_t first = 0;
    while (trace[first].line["mode"].text != "match") ++first;
    const float speeds[] = {0.5f, 1.5f, 3.0f, 5.0f, 7.5f, 10.5f, 14.0f, 18.0f, 22.5f, 27.5f, 33.0f,
                            39.0f, 45.5f, 52.5f};
    for (int k = 0; k < 12; ++k) {
        const Json& line = trace[first + 1 + k].line;
        EXPECT_EQ(line["players"][0]["speed"].f32(), speeds[k]);
        EXPECT_EQ(line["players"][1]["speed"].f32(), speeds[k]);
        EXPECT_EQ(count_of(line["sounds"], 2), 2);
    }
    EXPECT_EQ(trace[first + 12].line["shot_count"].integer(), 24);
}

}  // namespace
