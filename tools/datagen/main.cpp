// Placeholder generator: writes an empty resource table and game directory.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    std::string game, resources;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--game") == 0) game = argv[i + 1];
        if (std::strcmp(argv[i], "--resources") == 0) resources = argv[i + 1];
    }
    if (game.empty() || resources.empty()) {
        std::fprintf(stderr, "usage: valkron-datagen --game DIR --resources FILE.cpp\n");
        return 2;
    }
    std::filesystem::create_directories(game);
    std::filesystem::create_directories(std::filesystem::path(resources).parent_path());
    FILE* f = std::fopen(resources.c_str(), "w");
    if (!f) return 1;
    std::fputs("#include \"platform/resources.h\"\n"
               "extern const ResourceEntry resource_table[] = {{nullptr, nullptr, nullptr, 0}};\n"
               "extern const int32_t resource_count = 0;\n", f);
    std::fclose(f);
    return 0;
}
