// The Windows build has no network play: every call refuses.
#include "platform/net.h"

#include <windows.h>

#include <cstdio>

namespace {
void refuse(char* why, size_t why_size)
{
    std::snprintf(why, why_size, "network play is not in this build");
}
}  // namespace

NetLink* net_host(uint16_t, char* why, size_t why_size)
{
    refuse(why, why_size);
    return nullptr;
}

NetLink* net_join(const char*, uint16_t, char* why, size_t why_size)
{
    refuse(why, why_size);
    return nullptr;
}

int32_t net_poll(NetLink*, uint32_t, NetEvent* out)
{
    out->kind = net_event_disconnected;
    out->size = 0;
    return out->kind;
}

void net_set_timeout(NetLink*, uint32_t) {}
int32_t net_send(NetLink*, const uint8_t*, size_t, int32_t) { return 0; }
uint32_t net_round_trip_ms(NetLink*) { return 0; }
uint32_t net_round_trip_variance_ms(NetLink*) { return 0; }
void net_close(NetLink*, int32_t) {}
uint32_t net_clock_ms() { return GetTickCount(); }
void net_sleep_ms(uint32_t ms) { Sleep(ms); }
