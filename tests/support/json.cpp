#include "json.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

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
