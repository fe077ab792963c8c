// The settings file survives odd set-ups: a link, a mode of the player's,
// a folder that takes no new file, things that are not files, and a kill
// in the middle of a save.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "scratch_dir.h"
#include "shell/settings.h"

namespace {

class SettingsFile : public ::testing::Test {
protected:
    ScratchWorkingDirectory dir;
    void SetUp() override { reset_settings(); }
    void TearDown() override { reset_settings(); }
    // write_settings in a child process as another user than the folder's
    // owner (when run as root) and in a folder that takes no new file; what
    // it said.
    std::string write_from_a_locked_folder()
    {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        chmod(dir.dir.path().c_str(), 0555);
        const pid_t child = fork();
        if (child == 0) {
            dup2(fds[1], 2);
            if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
            write_settings();
            _exit(0);
        }
        close(fds[1]);
        std::string said;
        char buffer[256];
        for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) said.append(buffer, size_t(n));
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(status, 0);
        chmod(dir.dir.path().c_str(), 0755);
        return said;
    }
};

}  // namespace

TEST_F(SettingsFile, WritesGoThroughALinkAndKeepTheFilesMode)
{
    dir.dir.make_dir("real");
    dir.dir.write("real/target.ini", "old\n");
    chmod("real/target.ini", 0600);
    ASSERT_EQ(symlink("real/target.ini", "Settings.ini"), 0);
    frag_limit = 7;
    write_settings();
    EXPECT_TRUE(std::filesystem::is_symlink("Settings.ini"));
    EXPECT_EQ(dir.dir.read_text("real/target.ini").substr(0, 28), "ResX=400\nResY=300\nLimit=7\nPl");
    struct stat info;
    ASSERT_EQ(stat("real/target.ini", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(std::filesystem::directory_iterator("real")->path().filename(), "target.ini");  // no leftovers
}

TEST_F(SettingsFile, AFolderThatTakesNoNewFileHasTheFileRewrittenInPlace)
{
    chmod(dir.dir.path().c_str(), 0755);
    dir.dir.write("Settings.ini", "ResX=640\nResY=480\nLimit=3\nPlane.0=1\nPlane.1=2\nName.0=Ann\nName.1=Bob\nKeep=this option\n");
    chmod("Settings.ini", 0666);
    read_settings();
    frag_limit = 12;
    EXPECT_EQ(write_from_a_locked_folder(), "");
    EXPECT_EQ(dir.dir.read_text("Settings.ini"),
              "ResX=640\nResY=480\nLimit=12\nPlane.0=1\nPlane.1=2\nName.0=Ann\nName.1=Bob\nKeep=this option\n");
    // Neither folder nor file takes it: nothing changes, one line says why.
    chmod("Settings.ini", 0444);
    frag_limit = 13;
    const std::string said = write_from_a_locked_folder();
    EXPECT_EQ(said.rfind("valkron: settings not saved: ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(dir.dir.read_text("Settings.ini").find("Limit=12\n"), std::string::npos);
}

TEST_F(SettingsFile, OnlyRegularFilesAreReadAndNothingWaits)
{
    alarm(10);  // a read that waits fails the test instead of hanging it
    for (const char* kind : {"fifo", "folder"}) {
        std::filesystem::remove_all("settings.ini");
        ASSERT_EQ(std::string(kind) == "fifo" ? mkfifo("settings.ini", 0644) : mkdir("settings.ini", 0755), 0);
        read_settings();
        EXPECT_EQ(res_x, 400) << kind;
        EXPECT_EQ(frag_limit, 10) << kind;
    }
    alarm(0);
}

TEST_F(SettingsFile, AKillDuringASaveLeavesTheOldOrTheNewFileWhole)
{
    // Two versions of the file, long names and an option for a longer write.
    std::string versions[2];
    for (int v = 0; v < 2; ++v) {
        std::snprintf(player_name[0], sizeof player_name[0], "%s", std::string(31, "AB"[v]).c_str());
        set_settings_option("Padding", std::string(3000, "ab"[v]));
        write_settings();
        versions[v] = dir.dir.read_text("Settings.ini");
    }
    std::mt19937 random(5);
    for (int round = 0; round < 25; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            for (int i = 0;; ++i) {
                std::snprintf(player_name[0], sizeof player_name[0], "%s", std::string(31, "AB"[i & 1]).c_str());
                set_settings_option("Padding", std::string(3000, "ab"[i & 1]));
                write_settings();
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string text = dir.dir.read_text("Settings.ini");
        EXPECT_TRUE(text == versions[0] || text == versions[1]) << "round " << round << ": " << text.size() << " bytes";
    }
}
