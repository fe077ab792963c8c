#include "sim_support.h"

#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

const Json null_json;

struct JsonReader {
    const std::string& s;
    size_t p = 0;

    void blanks()
    {
        while (p < s.size() && std::isspace(static_cast<unsigned char>(s[p]))) {
            ++p;
        }
    }
    bool literal(const char* word)
    {
        const size_t n = std::strlen(word);
        if (s.compare(p, n, word) != 0) {
            return false;
        }
        p += n;
        return true;
    }
    bool text(std::string& out)
    {
        if (p >= s.size() || s[p] != '"') {
            return false;
        }
        ++p;
        while (p < s.size() && s[p] != '"') {
            if (s[p] == '\\') {
                if (p + 1 >= s.size()) {
                    return false;
                }
                const char e = s[p + 1];
                out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                p += 2;
            } else {
                out += s[p++];
            }
        }
        if (p >= s.size()) {
            return false;
        }
        ++p;
        return true;
    }
    bool value(Json& out)
    {
        blanks();
        if (p >= s.size()) {
            return false;
        }
        const char c = s[p];
        if (c == '{') {
            out.kind = Json::object;
            ++p;
            blanks();
            if (p < s.size() && s[p] == '}') {
                ++p;
                return true;
            }
            for (;;) {
                blanks();
                std::string name;
                if (!text(name)) {
                    return false;
                }
                blanks();
                if (p >= s.size() || s[p] != ':') {
                    return false;
                }
                ++p;
                Json item;
                if (!value(item) || out.fields.count(name)) {
                    return false;
                }
                out.fields[name] = item;
                blanks();
                if (p < s.size() && s[p] == ',') {
                    ++p;
                    continue;
                }
                if (p < s.size() && s[p] == '}') {
                    ++p;
                    return true;
                }
                return false;
            }
        }
        if (c == '[') {
            out.kind = Json::array;
            ++p;
            blanks();
            if (p < s.size() && s[p] == ']') {
                ++p;
                return true;
            }
            for (;;) {
                Json item;
                if (!value(item)) {
                    return false;
                }
                out.items.push_back(item);
                blanks();
                if (p < s.size() && s[p] == ',') {
                    ++p;
                    continue;
                }
                if (p < s.size() && s[p] == ']') {
                    ++p;
                    return true;
                }
                return false;
            }
        }
        if (c == '"') {
            out.kind = Json::string;
            return text(out.text);
        }
        if (literal("null")) {
            out.kind = Json::null;
            return true;
        }
        if (literal("true")) {
            out.kind = Json::boolean;
            out.flag = true;
            return true;
        }
        if (literal("false")) {
            out.kind = Json::boolean;
            return true;
        }
        const char* start = s.c_str() + p;
        char* end = nullptr;
        out.value = std::strtod(start, &end);
        if (end == start) {
            return false;
        }
        out.kind = Json::number;
        p += static_cast<size_t>(end - start);
        return true;
    }
};

std::string quoted(const std::string& word)
{
    std::string out = "'";
    for (char c : word) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

std::string file_text(const std::string& path)
{
    const std::vector<uint8_t> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

const Json& Json::operator[](const std::string& name) const
{
    const auto it = fields.find(name);
    return it == fields.end() ? null_json : it->second;
}

bool parse_json(const std::string& text, Json& out)
{
    JsonReader reader{text};
    out = Json{};
    if (!reader.value(out)) {
        return false;
    }
    reader.blanks();
    return reader.p == text.size();
}

GameCopy::GameCopy()
{
    std::filesystem::copy(VALKRON_GAME_DIR, game.path(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
}

SimResult GameCopy::run(const std::vector<std::string>& args, const std::string& input) const
{
    const std::string in = work.write("stdin.txt", input);
    std::string command = "cd " + quoted(game.path()) + " && " + quoted(VALKRON_SIM_PATH);
    for (const std::string& a : args) {
        command += " " + quoted(a);
    }
    command += " < " + quoted(in) + " > " + quoted(work.file("stdout.txt")) + " 2> " +
               quoted(work.file("stderr.txt"));
    const int status = std::system(command.c_str());
    SimResult result;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = file_text(work.file("stdout.txt"));
    result.err = file_text(work.file("stderr.txt"));
    return result;
}

std::vector<Json> GameCopy::trace(const std::vector<std::string>& args, SimResult* result,
                                  const std::string& input) const
{
    std::vector<std::string> all = args;
    all.push_back("--trace");
    all.push_back(work.file("trace.jsonl"));
    std::filesystem::remove(work.file("trace.jsonl"));
    const SimResult r = run(all, input);
    if (result) {
        *result = r;
    }
    std::vector<Json> lines;
    const std::string text = file_text(work.file("trace.jsonl"));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        Json line;
        if (!parse_json(text.substr(start, end - start), line)) {
            line = Json{};
            line.kind = Json::string;
            line.text = "not JSON: " + text.substr(start, end - start);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string GameCopy::keys(const std::string& script) const
{
    return work.write("keys.txt", script);
}

bool read_png(const std::string& path, Picture& out)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    out.width = static_cast<int32_t>(image.width);
    out.height = static_cast<int32_t>(image.height);
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        out.pixels[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
    }
    return true;
}

std::string frame_hash(const std::vector<uint32_t>& pixels)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (uint32_t p : pixels) {
        for (int b = 0; b < 4; ++b) {
            hash ^= (p >> (8 * b)) & 0xFF;
            hash *= 0x100000001b3ull;
        }
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

SimProcess::SimProcess(const std::string& dir, const std::vector<std::string>& args)
{
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) {
        std::perror("pipe");
        std::abort();
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        close(in[0]);
        close(in[1]);
        close(out[0]);
        close(out[1]);
        if (chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(VALKRON_SIM_PATH));
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(VALKRON_SIM_PATH, argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_child_ = in[1];
    from_child_ = fdopen(out[0], "r");
    signal(SIGPIPE, SIG_IGN);
}

SimProcess::~SimProcess()
{
    close_input();
    if (from_child_) {
        std::fclose(from_child_);
    }
    if (pid_ > 0) {
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}

void SimProcess::send(const std::string& lines)
{
    size_t done = 0;
    while (done < lines.size()) {
        const ssize_t n = write(to_child_, lines.data() + done, lines.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

void SimProcess::close_input()
{
    if (to_child_ >= 0) {
        close(to_child_);
        to_child_ = -1;
    }
}

bool SimProcess::read_line(std::string& line)
{
    line.clear();
    int c;
    while ((c = std::fgetc(from_child_)) != EOF) {
        if (c == '\n') {
            return true;
        }
        line += static_cast<char>(c);
    }
    return !line.empty();
}

int SimProcess::wait()
{
    close_input();
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
