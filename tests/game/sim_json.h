// A small JSON reader for valkron-sim's trace lines.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

struct Json {
    enum Kind { null, number, string, array, object, boolean } kind = null;
    double value = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json& operator[](const std::string& name) const;
    const Json& operator[](size_t index) const;
    double num() const { return value; }
    int32_t i32() const { return static_cast<int32_t>(value); }
    float f32() const { return static_cast<float>(value); }
};

// Parses one JSON text; ok is false (and the result null) on a syntax error.
Json parse_json(const std::string& text, bool& ok);
