#include "sim_json.h"

#include <cstdlib>

namespace {

const Json& missing()
{
    static const Json none;
    return none;
}

struct Reader {
    const std::string& s;
    size_t at = 0;
    bool ok = true;

    void skip()
    {
        while (at < s.size() && (s[at] == ' ' || s[at] == '\n' || s[at] == '\r' || s[at] == '\t')) {
            ++at;
        }
    }
    bool take(char c)
    {
        skip();
        if (at < s.size() && s[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    std::string string_body()
    {
        std::string out;
        while (at < s.size() && s[at] != '"') {
            if (s[at] == '\\' && at + 1 < s.size()) {
                ++at;
            }
            out += s[at++];
        }
        if (at >= s.size()) {
            ok = false;
        }
        ++at;
        return out;
    }
    Json value()
    {
        Json j;
        skip();
        if (at >= s.size()) {
            ok = false;
            return j;
        }
        const char c = s[at];
        if (c == '{') {
            ++at;
            j.kind = Json::object;
            if (take('}')) return j;
            do {
                if (!take('"')) {
                    ok = false;
                    return j;
                }
                const std::string name = string_body();
                if (!take(':')) {
                    ok = false;
                    return j;
                }
                j.fields[name] = value();
            } while (ok && take(','));
            if (!take('}')) ok = false;
        } else if (c == '[') {
            ++at;
            j.kind = Json::array;
            if (take(']')) return j;
            do {
                j.items.push_back(value());
            } while (ok && take(','));
            if (!take(']')) ok = false;
        } else if (c == '"') {
            ++at;
            j.kind = Json::string;
            j.text = string_body();
        } else if (s.compare(at, 4, "null") == 0) {
            at += 4;
        } else if (s.compare(at, 4, "true") == 0) {
            at += 4;
            j.kind = Json::boolean;
            j.value = 1;
        } else if (s.compare(at, 5, "false") == 0) {
            at += 5;
            j.kind = Json::boolean;
        } else {
            char* end = nullptr;
            j.value = std::strtod(s.c_str() + at, &end);
            if (end == s.c_str() + at) {
                ok = false;
            }
            at = static_cast<size_t>(end - s.c_str());
            j.kind = Json::number;
        }
        return j;
    }
};

}  // namespace

const Json& Json::operator[](const std::string& name) const
{
    const auto it = fields.find(name);
    return it == fields.end() ? missing() : it->second;
}

const Json& Json::operator[](size_t index) const
{
    return index < items.size() ? items[index] : missing();
}

Json parse_json(const std::string& text, bool& ok)
{
    Reader r{text};
    Json j = r.value();
    r.skip();
    ok = r.ok && r.at == text.size();
    return ok ? j : Json{};
}
