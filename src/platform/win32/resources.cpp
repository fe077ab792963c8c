// The executable's own resources, as the resource compiler put them in
// (dist/windows/valkron.rc): "#103" names the resource of number 103.
#include "platform/resources.h"
#include "platform/win32/win32_internal.h"

int32_t find_resource(const char* name, const char* type, const uint8_t** data, uint32_t* size)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return 0;
    *data = static_cast<const uint8_t*>(bytes);
    *size = SizeofResource(module, found);
    return 1;
}
