#include "shell/key_names.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/keys.h"
#include "platform/pads.h"

namespace {

bool equal_ignoring_case(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

// A whole number of decimal digits up to max; false otherwise.
bool parse_small_number(const char* text, unsigned long max, unsigned long& out)
{
    if (!std::isdigit(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || value > max) {
        return false;
    }
    out = value;
    return true;
}

int32_t index_by_name(const char* name, const char* const* names, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        if (equal_ignoring_case(name, names[i])) {
            return i;
        }
    }
    return -1;
}

const char* const button_names[pad_button_count] = {
    "A",         "B",          "X",            "Y",             "Back",    "Guide",    "Start",    "LeftStick",
    "RightStick", "LeftShoulder", "RightShoulder", "DpadUp", "DpadDown", "DpadLeft", "DpadRight",
};
const char* const axis_names[pad_axis_count] = {
    "LeftX", "LeftY", "RightX", "RightY", "TriggerLeft", "TriggerRight",
};

const struct {
    const char* name;
    uint32_t key;
} key_names[] = {
    {"Up", VK_UP},         {"Down", VK_DOWN},     {"Left", VK_LEFT},      {"Right", VK_RIGHT},
    {"Insert", VK_INSERT}, {"Delete", VK_DELETE}, {"Home", VK_HOME},      {"End", VK_END},
    {"Escape", VK_ESCAPE}, {"Enter", VK_RETURN},  {"Backspace", VK_BACK}, {"Space", VK_SPACE},
};

}  // namespace

std::string key_name(uint32_t key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        return std::string(1, static_cast<char>(key));
    }
    for (const auto& n : key_names) {
        if (n.key == key) {
            return n.name;
        }
    }
    if (key >= VK_F1 && key < VK_F1 + 12) {
        return "F" + std::to_string(key - VK_F1 + 1);
    }
    if (key >= VK_NUMPAD0 && key < VK_NUMPAD0 + 10) {
        return "Num" + std::to_string(key - VK_NUMPAD0);
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", key & 0xFFu);
    return hex;
}

bool parse_key_name(const char* name, uint32_t& key)
{
    const size_t length = std::strlen(name);
    if (length == 0) {
        return false;
    }
    if (length > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
        if (!std::isxdigit(static_cast<unsigned char>(name[2]))) {
            return false;
        }
        char* end = nullptr;
        errno = 0;
        const unsigned long value = std::strtoul(name + 2, &end, 16);
        if (errno != 0 || *end != '\0' || value > 0xFF) {
            return false;
        }
        key = static_cast<uint32_t>(value);
        return true;
    }
    if (length == 1) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            key = static_cast<uint32_t>(c);  // letters and digits are their own codes
            return true;
        }
    }
    unsigned long number = 0;
    if (parse_small_number(name, 0xFF, number)) {
        key = static_cast<uint32_t>(number);
        return true;
    }
    for (const auto& n : key_names) {
        if (equal_ignoring_case(name, n.name)) {
            key = n.key;
            return true;
        }
    }
    if (length >= 2 && (name[0] == 'F' || name[0] == 'f') && parse_small_number(name + 1, 12, number) &&
        number >= 1) {
        key = VK_F1 + static_cast<uint32_t>(number) - 1;
        return true;
    }
    if (length == 4 && std::isdigit(static_cast<unsigned char>(name[3])) &&
        std::tolower(static_cast<unsigned char>(name[0])) == 'n' &&
        std::tolower(static_cast<unsigned char>(name[1])) == 'u' &&
        std::tolower(static_cast<unsigned char>(name[2])) == 'm') {
        key = VK_NUMPAD0 + static_cast<uint32_t>(name[3] - '0');
        return true;
    }
    return false;
}

int32_t pad_button_by_name(const char* name)
{
    return index_by_name(name, button_names, pad_button_count);
}

int32_t pad_axis_by_name(const char* name)
{
    return index_by_name(name, axis_names, pad_axis_count);
}
