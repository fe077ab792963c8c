// Data compiled into the executable (the five WAVE images), looked up by
// resource name and type like the resources of a Windows executable.
#pragma once

#include <cstdint>

struct ResourceEntry {
    const char* name;  // "#103"
    const char* type;  // "WAVE"
    const uint8_t* data;
    uint32_t size;
};

// Defined by the generated resources library.
extern const ResourceEntry resource_table[];
extern const int32_t resource_count;

// 1 and the bytes when found, 0 otherwise.
int32_t find_resource(const char* name, const char* type, const uint8_t** data, uint32_t* size);
