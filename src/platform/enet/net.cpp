// The network link on ENet: one host, one peer, two channels (0 reliable,
// 1 unsequenced).
#include "platform/net.h"

#include <enet/enet.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

struct NetLink {
    ENetHost* host;
    ENetPeer* peer;  // the one peer, once it is connected (joiner: from the start)
    bool hosting;
    uint32_t timeout_ms;
};

namespace {

int32_t enet_users = 0;

bool start_enet(char* why, size_t why_size)
{
    if (enet_users == 0 && enet_initialize() != 0) {
        std::snprintf(why, why_size, "the network cannot be started");
        return false;
    }
    ++enet_users;
    return true;
}

void stop_enet()
{
    if (--enet_users == 0) {
        enet_deinitialize();
    }
}

void apply_timeout(NetLink* link, ENetPeer* peer)
{
    // ENet's minimum stays below the limit, so a silent peer goes within it.
    enet_peer_timeout(peer, 32, link->timeout_ms / 2, link->timeout_ms);
}

void keep_throttle_open(ENetPeer* peer)
{
    // Never drop unreliable messages on this side when the line loses some:
    // each carries what the other still misses, and a lockstep match
    // cannot wait for a throttle to open again.
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, ENET_PEER_PACKET_THROTTLE_SCALE, 0);
}

}  // namespace

NetLink* net_host(uint16_t port, char* why, size_t why_size)
{
    if (!start_enet(why, why_size)) {
        return nullptr;
    }
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    ENetHost* host = enet_host_create(&address, 2, 2, 0, 0);
    if (!host) {
        std::snprintf(why, why_size, "cannot wait on UDP port %u (is it in use?)", static_cast<unsigned>(port));
        stop_enet();
        return nullptr;
    }
    return new NetLink{host, nullptr, true, 2500};
}

NetLink* net_join(const char* name, uint16_t port, char* why, size_t why_size)
{
    if (!start_enet(why, why_size)) {
        return nullptr;
    }
    ENetAddress address{};
    if (enet_address_set_host(&address, name) != 0) {
        std::snprintf(why, why_size, "unknown host %s", name);
        stop_enet();
        return nullptr;
    }
    address.port = port;
    ENetHost* host = enet_host_create(nullptr, 1, 2, 0, 0);
    ENetPeer* peer = host ? enet_host_connect(host, &address, 2, 0) : nullptr;
    if (!peer) {
        std::snprintf(why, why_size, "cannot reach %s:%u", name, static_cast<unsigned>(port));
        if (host) {
            enet_host_destroy(host);
        }
        stop_enet();
        return nullptr;
    }
    NetLink* link = new NetLink{host, peer, false, 2500};
    apply_timeout(link, peer);
    return link;
}

void net_set_timeout(NetLink* link, uint32_t timeout_ms)
{
    link->timeout_ms = timeout_ms;
    if (link->peer) {
        apply_timeout(link, link->peer);
    }
}

int32_t net_poll(NetLink* link, uint32_t wait_ms, NetEvent* out)
{
    out->kind = net_event_none;
    out->size = 0;
    ENetEvent event;
    const int result = enet_host_service(link->host, &event, wait_ms);
    if (result <= 0) {
        return out->kind;
    }
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
        if (link->hosting && link->peer && link->peer != event.peer) {
            enet_peer_disconnect_now(event.peer, 0);  // only one peer
            break;
        }
        link->peer = event.peer;
        apply_timeout(link, event.peer);
        keep_throttle_open(event.peer);
        out->kind = net_event_connected;
        break;
    case ENET_EVENT_TYPE_RECEIVE:
        if (event.peer == link->peer) {
            out->kind = net_event_message;
            if (event.packet->dataLength <= sizeof out->data) {
                out->size = event.packet->dataLength;
                std::memcpy(out->data, event.packet->data, out->size);
            }
        }
        enet_packet_destroy(event.packet);
        break;
    case ENET_EVENT_TYPE_DISCONNECT:
        if (event.peer == link->peer) {
            link->peer = nullptr;
            out->kind = net_event_disconnected;
        }
        break;
    default:
        break;
    }
    return out->kind;
}

int32_t net_send(NetLink* link, const uint8_t* data, size_t size, int32_t reliable)
{
    if (!link->peer || link->peer->state != ENET_PEER_STATE_CONNECTED) {
        return 0;
    }
    ENetPacket* packet =
        enet_packet_create(data, size, reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
    if (!packet) {
        return 0;
    }
    if (enet_peer_send(link->peer, reliable ? 0 : 1, packet) != 0) {
        enet_packet_destroy(packet);
        return 0;
    }
    enet_host_flush(link->host);
    return 1;
}

uint32_t net_round_trip_ms(NetLink* link)
{
    return link->peer ? link->peer->roundTripTime : 0;
}

uint32_t net_round_trip_variance_ms(NetLink* link)
{
    return link->peer ? link->peer->roundTripTimeVariance : 0;
}

void net_close(NetLink* link, int32_t linger)
{
    if (!link) {
        return;
    }
    if (link->peer && !linger) {
        enet_peer_disconnect_now(link->peer, 0);
    } else if (link->peer) {
        enet_host_flush(link->host);
        enet_peer_disconnect_later(link->peer, 0);
        // A moment for what is queued (a bye) to arrive and the goodbye to
        // be answered.
        ENetEvent event;
        const uint32_t until = net_clock_ms() + 1000;
        while (net_clock_ms() < until && enet_host_service(link->host, &event, 20) >= 0) {
            if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                enet_packet_destroy(event.packet);
            } else if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
                break;
            }
        }
    }
    enet_host_destroy(link->host);
    delete link;
    stop_enet();
}

uint32_t net_clock_ms()
{
    static const auto start = std::chrono::steady_clock::now();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

void net_sleep_ms(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
