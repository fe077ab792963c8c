// A link to one other machine over UDP: the host waits on a port for one
// peer, the joiner connects to it; both then send and receive whole byte
// messages. Sent messages are reliable (arrive once, in order, resent by
// the link) or not (may be lost or come in any order).
//
// The ENet backend serves the Linux game, valkron-sim and the tests; the
// Windows build has none, and every call there says so.
#pragma once

#include <cstddef>
#include <cstdint>

struct NetLink;  // opaque, owned by the backend

enum : int32_t {
    net_event_none,
    net_event_connected,     // the peer is there (both sides)
    net_event_message,       // data and size hold one message
    net_event_disconnected,  // the peer left or stopped answering
};

struct NetEvent {
    int32_t kind;
    uint8_t data[512];
    size_t size;  // a longer message comes with size 0
};

// The link, or null with one line of why in why (why_size bytes).
NetLink* net_host(uint16_t port, char* why, size_t why_size);
NetLink* net_join(const char* host, uint16_t port, char* why, size_t why_size);

// Waits up to wait_ms for one event; net_event_none when nothing came. A
// peer silent for timeout_ms (set by net_set_timeout; 2500 by default) is
// disconnected. A second peer is turned away.
int32_t net_poll(NetLink* link, uint32_t wait_ms, NetEvent* out);
void net_set_timeout(NetLink* link, uint32_t timeout_ms);
// Sends to the peer (nothing before it is connected); 0 when it cannot.
int32_t net_send(NetLink* link, const uint8_t* data, size_t size, int32_t reliable);
// The link's smoothed round trip and its variation, in milliseconds.
uint32_t net_round_trip_ms(NetLink* link);
uint32_t net_round_trip_variance_ms(NetLink* link);
// Frees the link; with linger, first waits up to a second for what is
// queued to arrive and the peer to answer the goodbye.
void net_close(NetLink* link, int32_t linger);

// Real milliseconds from a fixed start, and a pause.
uint32_t net_clock_ms();
void net_sleep_ms(uint32_t ms);
