// Network matches between two valkron-sim processes: over loopback (the
// joiner on a larger screen) and through a slow, lossy relay the traces
// equal the local run of the same two key scripts, and the host's replay
// plays the same match; a killed peer ends the match with a line saying
// why, and a second joiner and another version are refused.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "sim_support.h"

namespace {

using Clock = std::chrono::steady_clock;

// Seed 25: the Ace wins 3 : 0 against this script in under 600 ticks, from
// either seat; the script's keys change the human's flight, so the traces
// show whether they crossed the wire. The joiner flies on player 1's keys.
const std::string human = "1 down Insert\n25 up Insert\n30 down Left\n50 up Left\n60 down Home\n100 up Home\n"
                          "120 down Up\n140 up Up\n150 down Home\n200 up Home\n";
const std::string limit_3 = "ResX=400\nResY=300\nLimit=3\nPlane.0=1\nPlane.1=4\nName.0=Ann\nName.1=Bob\n";

uint16_t free_udp_port()
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

// valkron-sim running in its own game copy, standard error to a file.
struct Peer {
    GameCopy copy;
    pid_t pid = -1;
    int exit_code = -1;

    void start(const std::vector<std::string>& args, const std::string& settings = limit_3)
    {
        copy.game.write("Settings.ini", settings);
        std::vector<std::string> all = {sim_program(), "--trace", copy.path("trace.jsonl")};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const std::string err = copy.path("stderr.txt");
        pid = fork();
        if (pid == 0) {
            const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (chdir(copy.game.path().c_str()) != 0 || fd < 0 || dup2(fd, 2) < 0) {
                _exit(127);
            }
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    // Waits at most seconds for the end; false when it did not come.
    bool wait(double seconds)
    {
        const Clock::time_point until =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (Clock::now() > until) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return true;
    }
    std::string trace() const { return read_text_file(copy.path("trace.jsonl")); }
    std::string err() const { return read_text_file(copy.path("stderr.txt")); }
};

std::string local_run(const std::vector<std::string>& args)
{
    GameCopy copy;
    copy.game.write("Settings.ini", limit_3);
    const std::string host_keys = copy.work.write("host.txt", args[0]), join_keys = copy.work.write("join.txt", args[1]);
    std::vector<std::string> all = {"--seed", "25", "--keys", host_keys, "--keys", join_keys};
    all.insert(all.end(), args.begin() + 2, args.end());
    return copy.trace(all);
}

// The match ends with the Ace's win and the human flew (his keys arrived):
// then both peers' traces equal the local one.
void expect_match(const std::string& local, Peer& host, Peer& join, int32_t human_seat)
{
    ASSERT_NE(local.find("\"mode\":\"winner\""), std::string::npos) << "the match did not end";
    EXPECT_NE(local.find("\"match_winner\":" + std::to_string(2 - human_seat)), std::string::npos);
    bool flew = false;
    for (size_t at = 0; at < local.size() && !flew; at = local.find('\n', at) + 1) {
        const std::string speed = trace_field(local.substr(at, local.find('\n', at) - at),
                                              "p" + std::to_string(human_seat) + ".speed");
        flew = std::atof(speed.c_str()) > 0.0;
    }
    EXPECT_TRUE(flew);
    EXPECT_EQ(host.exit_code, 0) << host.err();
    EXPECT_EQ(join.exit_code, 0) << join.err();
    EXPECT_TRUE(host.trace() == local) << "the host's trace differs from the local run";
    EXPECT_TRUE(join.trace() == local) << "the joiner's trace differs from the local run";
}

// A UDP relay between the joiner and the host: each packet held 100 ms (and
// up to 20 ms more, so some overtake others), 5 % lost.
struct Relay {
    int outer = -1;  // the joiner's side
    int inner = -1;  // towards the host
    std::atomic<bool> stop{false};
    std::thread thread;

    Relay(uint16_t port, uint16_t host_port)
    {
        outer = socket(AF_INET, SOCK_DGRAM, 0);
        inner = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        bind(outer, reinterpret_cast<sockaddr*>(&address), sizeof address);
        address.sin_port = htons(host_port);
        connect(inner, reinterpret_cast<sockaddr*>(&address), sizeof address);
        thread = std::thread([this] { run(); });
    }
    ~Relay()
    {
        stop = true;
        thread.join();
        close(outer);
        close(inner);
    }
    void run()
    {
        struct Held {
            Clock::time_point due;
            bool to_host;
            std::vector<uint8_t> bytes;
        };
        std::vector<Held> held;
        std::mt19937 random(16);
        sockaddr_in joiner{};
        socklen_t joiner_size = 0;
        while (!stop) {
            pollfd fds[2] = {{outer, POLLIN, 0}, {inner, POLLIN, 0}};
            poll(fds, 2, 2);
            uint8_t buffer[2048];
            for (int side = 0; side < 2; ++side) {
                if (!(fds[side].revents & POLLIN)) {
                    continue;
                }
                sockaddr_in from{};
                socklen_t from_size = sizeof from;
                const ssize_t size = recvfrom(fds[side].fd, buffer, sizeof buffer, 0,
                                              reinterpret_cast<sockaddr*>(&from), &from_size);
                if (side == 0) {
                    joiner = from;
                    joiner_size = from_size;
                }
                if (size > 0 && random() % 100 >= 5) {
                    const auto delay = std::chrono::milliseconds(100 + random() % 21);
                    held.push_back({Clock::now() + delay, side == 0, std::vector<uint8_t>(buffer, buffer + size)});
                }
            }
            for (size_t i = 0; i < held.size();) {
                if (held[i].due > Clock::now()) {
                    ++i;
                    continue;
                }
                if (held[i].to_host) {
                    send(inner, held[i].bytes.data(), held[i].bytes.size(), 0);
                } else if (joiner_size > 0) {
                    sendto(outer, held[i].bytes.data(), held[i].bytes.size(), 0,
                           reinterpret_cast<const sockaddr*>(&joiner), joiner_size);
                }
                held.erase(held.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    }
};

TEST(SimNet, OverLoopbackBothTracesEqualTheLocalRun)
{
    const std::string local = local_run({human, "", "--ticks", "620", "--pilot", "2=ace"});
    const std::string port = std::to_string(free_udp_port());
    Peer host, join;
    host.start({"--host", port, "--seed", "25", "--ticks", "620", "--pace", "5", "--keys", host.copy.keys(human),
                "--record", host.copy.path("replays")});
    // The joiner's screen is larger: his frames differ, the game does not.
    join.start({"--join", "127.0.0.1:" + port, "--ticks", "620", "--pace", "5", "--pilot", "2=ace"},
               "ResX=640\nResY=480\nLimit=9\nPlane.0=0\nPlane.1=4\nName.0=Cy\nName.1=Bob\n");
    ASSERT_TRUE(host.wait(60) && join.wait(10));
    EXPECT_EQ(join.exit_code, 0) << join.err();
    EXPECT_TRUE(host.trace() == local) << "the host's trace differs from the local run";
    const std::vector<std::string> fields = {"mode", "frag_limit", "frag_timer", "shot_count", "match_winner",
                                             "p0.matrix", "p1.matrix", "p0.energy", "p1.energy", "p1.frags"};
    const std::string joined = join.trace();
    size_t a = 0, b = 0;
    for (; a < local.size() && b < joined.size(); a = local.find('\n', a) + 1, b = joined.find('\n', b) + 1) {
        const std::string ours = local.substr(a, local.find('\n', a) - a);
        const std::string theirs = joined.substr(b, joined.find('\n', b) - b);
        for (const std::string& field : fields) {
            ASSERT_EQ(trace_field(theirs, field), trace_field(ours, field)) << field << " at " << ours.substr(0, 12);
        }
    }
    EXPECT_EQ(a, local.size());
    EXPECT_EQ(b, joined.size());

    // The host's replay of the match is an ordinary one: it plays back the
    // same frames.
    std::string replay;
    for (const auto& entry : std::filesystem::directory_iterator(host.copy.path("replays"))) {
        replay = entry.path().string();
    }
    EXPECT_TRUE(host.copy.trace({"--replay", replay, "--ticks", "620"}) == local);
}

TEST(SimNet, ThroughASlowLossyLinkTheMatchKeepsItsPaceAndItsFrames)
{
    // The host is the Ace; the joiner flies on player 1's keys.
    const std::string& arrows = human;
    const std::string local = local_run({"", arrows, "--ticks", "580", "--pilot", "1=ace"});
    const uint16_t host_port = free_udp_port(), relay_port = free_udp_port();
    Relay relay(relay_port, host_port);
    Peer host, join;
    host.start({"--host", std::to_string(host_port), "--seed", "25", "--ticks", "580", "--pilot", "1=ace"});
    join.start({"--join", "127.0.0.1:" + std::to_string(relay_port), "--ticks", "580", "--keys",
                join.copy.keys(arrows)});
    ASSERT_TRUE(host.wait(60) && join.wait(10));
    expect_match(local, host, join, 1);
    for (Peer* peer : {&host, &join}) {
        const std::string err = peer->err();
        const size_t at = err.find(" ticks per second");
        ASSERT_NE(at, std::string::npos) << err;
        const double pace = std::atof(err.c_str() + err.rfind(", ", at) + 2);
        EXPECT_GT(pace, 28.0) << err;
        EXPECT_LT(pace, 31.0) << err;
    }
}

TEST(SimNet, AKilledPeerEndsTheMatchWithin3SecondsAndOthersAreRefused)
{
    const std::string port = std::to_string(free_udp_port());
    Peer host, join;
    host.start({"--host", port, "--seed", "25", "--ticks", "100000"});
    join.start({"--join", "127.0.0.1:" + port, "--ticks", "100000"});
    // The match has begun once the host traces its ticks (a loaded machine
    // may take a while to get there).
    for (const Clock::time_point until = Clock::now() + std::chrono::seconds(20);
         host.trace().empty() && Clock::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_FALSE(host.trace().empty()) << host.err();
    Peer third;  // the host takes one opponent only
    third.start({"--join", "127.0.0.1:" + port, "--ticks", "100000"});
    ASSERT_TRUE(third.wait(5));
    EXPECT_EQ(third.exit_code, 3);
    EXPECT_NE(third.err().find("went away before the match began"), std::string::npos) << third.err();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));  // well into the match
    kill(join.pid, SIGKILL);
    const Clock::time_point killed = Clock::now();
    ASSERT_TRUE(host.wait(10));
    EXPECT_LE(std::chrono::duration<double>(Clock::now() - killed).count(), 3.0);
    EXPECT_EQ(host.exit_code, 3);
    EXPECT_NE(host.err().find("the other player is gone"), std::string::npos) << host.err();
    join.wait(1);

    const std::string port2 = std::to_string(free_udp_port());
    Peer old_host, new_join;
    old_host.start({"--host", port2, "--net-version", "0.9"});
    new_join.start({"--join", "127.0.0.1:" + port2});
    ASSERT_TRUE(old_host.wait(10) && new_join.wait(10));
    EXPECT_EQ(old_host.exit_code, 3);
    EXPECT_EQ(new_join.exit_code, 3);
    EXPECT_NE(new_join.err().find("the other player runs version 0.9, this is version 1.0"), std::string::npos)
        << new_join.err();
    EXPECT_NE(old_host.err().find("the other player runs version 1.0, this is version 0.9"), std::string::npos)
        << old_host.err();
}

}  // namespace
