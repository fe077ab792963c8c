// The game's file names: backslashes and any letter case reach the files on
// disk relative to the working directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "assets/files.h"
#include "scratch_dir.h"

namespace {

std::set<std::string> entries(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

std::string read_text(const char* name)
{
    FILE* f = open_game_file(name, "rb");
    if (!f) return "<none>";
    std::string text;
    int c;
    while ((c = std::getc(f)) != EOF) text += static_cast<char>(c);
    std::fclose(f);
    return text;
}

TEST(GameFiles, ModelNamesInAnyCaseReachOneFolder)
{
    ScratchDir dir;
    dir.make_dir("Models");
    dir.write("Models/intro.3ds", std::string("intro"));
    dir.write("Models/Happy.3ds", std::string("happy"));
    ScopedWorkingDirectory cd(dir.path());
    EXPECT_EQ(resolve_game_path("models\\intro.3ds"), "Models/intro.3ds");
    EXPECT_EQ(resolve_game_path("Models\\Happy.3ds"), "Models/Happy.3ds");
    EXPECT_EQ(resolve_game_path("MODELS\\happy.3DS"), "Models/Happy.3ds");
    EXPECT_EQ(read_text("models\\intro.3ds"), "intro");
    EXPECT_EQ(read_text("Models\\Happy.3ds"), "happy");
    EXPECT_EQ(read_text("models/HAPPY.3ds"), "happy");
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"Models"});
}

TEST(GameFiles, SettingsReadAndWrittenInTwoSpellingsAreOneFile)
{
    ScratchDir dir;
    ScopedWorkingDirectory cd(dir.path());
    // Nothing there yet: the file to be written is created as spelled.
    EXPECT_EQ(read_text("settings.ini"), "<none>");
    FILE* f = open_game_file("Settings.ini", "w");
    ASSERT_NE(f, nullptr);
    std::fputs("first", f);
    std::fclose(f);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"Settings.ini"});
    EXPECT_EQ(read_text("settings.ini"), "first");

    // Written again: the same file is replaced, no second one appears.
    f = open_game_file("Settings.ini", "w");
    ASSERT_NE(f, nullptr);
    std::fputs("second", f);
    std::fclose(f);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"Settings.ini"});
    EXPECT_EQ(read_text("settings.ini"), "second");

    // A lower-case file on disk is the one both spellings reach.
    ScratchDir other;
    other.write("settings.ini", std::string("lower"));
    ScopedWorkingDirectory cd2(other.path());
    EXPECT_EQ(resolve_game_path("Settings.ini"), "settings.ini");
    f = open_game_file("Settings.ini", "w");
    ASSERT_NE(f, nullptr);
    std::fputs("written", f);
    std::fclose(f);
    EXPECT_EQ(entries(other.path()), std::set<std::string>{"settings.ini"});
    EXPECT_EQ(read_text("settings.ini"), "written");
}

TEST(GameFiles, NamesThatMatchNothingKeepTheirSpelling)
{
    ScratchDir dir;
    dir.make_dir("Data");
    ScopedWorkingDirectory cd(dir.path());
    EXPECT_EQ(resolve_game_path("data\\New File.TXT"), "Data/New File.TXT");
    EXPECT_EQ(resolve_game_path("Missing\\Sub\\x.tex"), "Missing/Sub/x.tex");
    // After a missing folder nothing more is looked up, even names that
    // would match in the working directory.
    EXPECT_EQ(resolve_game_path("Missing\\data"), "Missing/data");
    EXPECT_EQ(open_game_file("Missing\\x.tex", "rb"), nullptr);
    // A file in the middle of a path is no folder.
    dir.write("Data/file.txt", std::string("x"));
    EXPECT_EQ(resolve_game_path("DATA\\FILE.TXT\\more"), "Data/file.txt/more");
}

TEST(GameFiles, AnExactMatchWinsOverOtherCases)
{
    ScratchDir dir;
    dir.make_dir("data");
    dir.make_dir("Data");
    dir.write("data/a.tex", std::string("lower"));
    dir.write("Data/a.tex", std::string("upper"));
    ScopedWorkingDirectory cd(dir.path());
    EXPECT_EQ(resolve_game_path("data\\a.tex"), "data/a.tex");
    EXPECT_EQ(resolve_game_path("Data\\a.tex"), "Data/a.tex");
    EXPECT_EQ(read_text("data\\a.tex"), "lower");
    EXPECT_EQ(read_text("Data\\a.tex"), "upper");
    // Neither exact: the first in byte order ("Data" before "data"),
    // whatever order the directory lists them in.
    EXPECT_EQ(resolve_game_path("DATA\\A.TEX"), "Data/a.tex");
}

TEST(GameFiles, AbsolutePathsAreMatchedComponentByComponent)
{
    ScratchDir dir;
    dir.make_dir("Models");
    dir.write("Models/Needle.3ds", std::string("needle"));
    const std::string exact = dir.path() + "/Models/Needle.3ds";
    EXPECT_EQ(resolve_game_path(exact.c_str()), exact);
    EXPECT_EQ(resolve_game_path((dir.path() + "\\models\\needle.3DS").c_str()), exact);
    // The scratch folder's own name in another case.
    std::string shouted = dir.path();
    const size_t last = shouted.rfind('/');
    for (size_t i = last + 1; i < shouted.size(); ++i) {
        shouted[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(shouted[i])));
    }
    EXPECT_EQ(resolve_game_path((shouted + "/MODELS/NEEDLE.3DS").c_str()), exact);
    EXPECT_EQ(read_text((shouted + "\\Models\\needle.3ds").c_str()), "needle");
}

TEST(GameFiles, DotsAndRepeatedSeparatorsAreKept)
{
    ScratchDir dir;
    dir.make_dir("Data");
    dir.make_dir("Work");
    dir.write("Data/Menu.tex", std::string("menu"));
    ScopedWorkingDirectory cd(dir.path() + "/Work");
    EXPECT_EQ(resolve_game_path("..\\data\\menu.TEX"), "../Data/Menu.tex");
    EXPECT_EQ(resolve_game_path(".\\..\\\\DATA\\menu.tex"), "./../Data/Menu.tex");
    EXPECT_EQ(read_text("..\\DATA\\MENU.TEX"), "menu");
}

}  // namespace
