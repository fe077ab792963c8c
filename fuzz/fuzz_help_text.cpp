// libFuzzer target: the help text reader on arbitrary bytes as
// "Data\pak0.pak"; the first byte picks the screen width, which sets the
// longest line. Every line read is terminated and fits the width.
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "fuzz_input.h"
#include "shell/screens.h"
#include "shell/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_folder(true);
    mkdir("Data", 0700);
    if (size == 0) return 0;
    res_x = data[0] < resolution_count ? resolution_widths[data[0]] : data[0];
    fuzz_file("Data/pak0.pak", data + 1, size - 1);
    read_help_text();
    const size_t longest = res_x >= 20 ? size_t(res_x - 20) / 8 : 0;
    for (int32_t i = 0; i < help_line_count; ++i)
        if (!help_lines[i] || std::strlen(help_lines[i]) >= longest) std::abort();
    free_help_text();
    return 0;
}
