#include "platform/resources.h"

#include <cstring>

int32_t find_resource(const char* name, const char* type, const uint8_t** data, uint32_t* size)
{
    for (int32_t i = 0; i < resource_count; ++i) {
        const ResourceEntry& entry = resource_table[i];
        if (std::strcmp(entry.name, name) == 0 && std::strcmp(entry.type, type) == 0) {
            *data = entry.data;
            *size = entry.size;
            return 1;
        }
    }
    return 0;
}
