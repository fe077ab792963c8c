// A small JSON reader for valkron-sim's trace lines.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A JSON value, as far as the trace needs one.
struct Json {
    enum Kind { null, boolean, number, string, array, object } kind = null;
    bool flag = false;
    double value = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    // A missing field is null; an index past the end throws (the test fails).
    const Json& operator[](const std::string& name) const;
    const Json& operator[](size_t index) const { return items.at(index); }
    bool has(const std::string& name) const { return fields.count(name) != 0; }
    int64_t integer() const { return static_cast<int64_t>(value); }
    float f32() const { return static_cast<float>(value); }
};

// Parses one JSON text; false when it is not valid JSON.
bool parse_json(const std::string& text, Json& out);
