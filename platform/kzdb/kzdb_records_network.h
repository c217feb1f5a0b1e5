// Network records of the configuration store: the LAN settings (both layouts
// in one record), time, PPPoE, DDNS, e-mail, service ports, UPnP, multicast
// and the IP access filter. Little-endian, integers signed 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kzdb.h"
#include "network_msgs.h"
#include "service_msgs.h"

// ---- Network record: one record, key 0 ------------------------------------------------

// The settings of one interface (the bonded interface, port 1 or port 2).
struct NetBlock {
    int32_t enable;
    int32_t network_type;
    char ip_addr[16];  // IPv4 texts, at most 15 characters
    char netmask[16];
    char gateway[16];
    char dns1[16];
    char dns2[16];
    int32_t mtu;
    int32_t ip6_type;
    char ip6_addr[64];
    char ip6_prefix[16];
    char ip6_gateway[64];
};
static_assert(sizeof(NetBlock) == 240);
static_assert(offsetof(NetBlock, ip_addr) == 8);
static_assert(offsetof(NetBlock, netmask) == 24);
static_assert(offsetof(NetBlock, gateway) == 40);
static_assert(offsetof(NetBlock, dns1) == 56);
static_assert(offsetof(NetBlock, dns2) == 72);
static_assert(offsetof(NetBlock, mtu) == 88);
static_assert(offsetof(NetBlock, ip6_type) == 92);
static_assert(offsetof(NetBlock, ip6_addr) == 96);
static_assert(offsetof(NetBlock, ip6_prefix) == 160);
static_assert(offsetof(NetBlock, ip6_gateway) == 176);

struct NetworkRecord {
    int32_t mode;  // 0 two LANs, 1 bonded, 2 bonded with a primary port
    char host_name[128];
    int32_t default_route;
    int32_t primary_net;
    NetBlock bond;
    NetBlock port1;
    NetBlock port2;
    char reserved[40];
};
static_assert(sizeof(NetworkRecord) == 900);
static_assert(offsetof(NetworkRecord, host_name) == 4);
static_assert(offsetof(NetworkRecord, default_route) == 132);
static_assert(offsetof(NetworkRecord, primary_net) == 136);
static_assert(offsetof(NetworkRecord, bond) == 140);
static_assert(offsetof(NetworkRecord, port1) == 380);
static_assert(offsetof(NetworkRecord, port2) == 620);
static_assert(offsetof(NetworkRecord, reserved) == 860);

// The whole record. 0, or -1 (rec untouched) when nothing is stored.
inline int read_network(const char *db, NetworkRecord *rec) {
    return rec ? kzdb::load(db, "network", 0, rec, sizeof *rec) : -1;
}
inline int write_network(const char *db, const NetworkRecord *rec) {
    return rec ? kzdb::store(db, "network", 0, rec, sizeof *rec) : -1;
}
// The stored mode, or -1.
inline int read_network_mode(const char *db) {
    NetworkRecord rec{};
    return read_network(db, &rec) == 0 ? rec.mode : -1;
}
// Views of one layout: a write keeps the other layout and the host name as
// stored, so a bonded save keeps the two-LAN settings and the reverse.
inline int read_network_bond(const char *db, NetworkRecord *rec) {
    return read_network(db, rec);
}
inline int read_network_muti(const char *db, NetworkRecord *rec) {
    return read_network(db, rec);
}
namespace kzdb {
// Read, change, write the stored network record in one transaction.
template <class Change>
int update_network(const char *db, Change change) {
    Batch batch(db);
    NetworkRecord stored{};
    read_network(db, &stored);
    change(stored);
    if (write_network(db, &stored) != 0) return -1;
    return batch.commit();
}
}  // namespace kzdb
inline int write_network_bond(const char *db, const NetworkRecord *rec) {
    if (!rec) return -1;
    return kzdb::update_network(db, [rec](NetworkRecord &n) {
        n.mode = rec->mode;
        n.default_route = rec->default_route;
        n.primary_net = rec->primary_net;
        n.bond = rec->bond;
    });
}
inline int write_network_muti(const char *db, const NetworkRecord *rec) {
    if (!rec) return -1;
    return kzdb::update_network(db, [rec](NetworkRecord &n) {
        n.mode = rec->mode;
        n.default_route = rec->default_route;
        n.port1 = rec->port1;
        n.port2 = rec->port2;
    });
}

// ---- Single service records (key 0) ----------------------------------------------------

struct TimeRecord {
    int32_t ntp_enable;
    int32_t dst_enable;
    char time_zone[32];
    char time_zone_name[32];
    char ntp_server[64];
    int32_t sync_enable;
    int32_t sync_interval;
    int32_t sync_pc;
};
static_assert(sizeof(TimeRecord) == 148);
static_assert(offsetof(TimeRecord, time_zone) == 8);
static_assert(offsetof(TimeRecord, ntp_server) == 72);
static_assert(offsetof(TimeRecord, sync_enable) == 136);

struct PppoeRecord {
    int32_t enable;
    int32_t auto_connect;
    char user_name[64];
    char password[64];
};
static_assert(sizeof(PppoeRecord) == 136);
static_assert(offsetof(PppoeRecord, password) == 72);

struct DdnsRecord {
    int32_t enable;
    char domain[64];
    char user_name[32];
    char password[32];
    char host_name[128];
    char free_dns_hash[128];
    char ddns_url[128];
    int32_t update_freq;
    int32_t http_port;
    int32_t rtsp_port;
};
static_assert(sizeof(DdnsRecord) == 528);
static_assert(offsetof(DdnsRecord, host_name) == 132);
static_assert(offsetof(DdnsRecord, free_dns_hash) == 260);
static_assert(offsetof(DdnsRecord, ddns_url) == 388);
static_assert(offsetof(DdnsRecord, update_freq) == 516);

struct MailReceiver {
    char addr[65];
    char name[65];
};
static_assert(sizeof(MailReceiver) == 130);

struct EmailRecord {
    int32_t enable;
    char user_name[65];
    char password[65];
    char smtp_server[65];
    char pad0[1];
    int32_t smtp_port;
    char sender_addr[65];
    char sender_name[65];
    char pad1[2];
    int32_t enable_tls;
    int32_t enable_attach;
    int32_t capture_interval;
    MailReceiver receivers[3];
    char pad2[2];
};
static_assert(sizeof(EmailRecord) == 740);
static_assert(offsetof(EmailRecord, smtp_server) == 134);
static_assert(offsetof(EmailRecord, smtp_port) == 200);
static_assert(offsetof(EmailRecord, sender_addr) == 204);
static_assert(offsetof(EmailRecord, sender_name) == 269);
static_assert(offsetof(EmailRecord, enable_tls) == 336);
static_assert(offsetof(EmailRecord, capture_interval) == 344);
static_assert(offsetof(EmailRecord, receivers) == 348);

// Service ports (the e-mail host-name switch and host name ride along).
struct PortsRecord {
    int32_t ssh_enable;
    int32_t ssh_port;
    int32_t http_port;
    int32_t rtsp_port;
    int32_t service_port;
    int32_t https_port;
    int32_t email_host_enable;
    char host_name[256];
};
static_assert(sizeof(PortsRecord) == 284);
static_assert(offsetof(PortsRecord, https_port) == 20);
static_assert(offsetof(PortsRecord, host_name) == 28);

static_assert(sizeof(UpnpRecord) == 152);
static_assert(sizeof(MulticastRecord) == 72);

namespace kzdb {
template <class T>
int read_single(const char *db, const char *kind, T *rec) {
    return rec ? load(db, kind, 0, rec, sizeof(T)) : -1;
}
template <class T>
int write_single(const char *db, const char *kind, const T *rec) {
    return rec ? store(db, kind, 0, rec, sizeof(T)) : -1;
}
}  // namespace kzdb

// read_x: 0, or -1 (rec untouched) when nothing is stored. write_x: 0 / -1.
#define KZDB_SINGLE(name, Type)                                \
    inline int read_##name(const char *db, Type *rec) {        \
        return kzdb::read_single(db, #name, rec);              \
    }                                                          \
    inline int write_##name(const char *db, const Type *rec) { \
        return kzdb::write_single(db, #name, rec);             \
    }
KZDB_SINGLE(time, TimeRecord)
KZDB_SINGLE(pppoe, PppoeRecord)
KZDB_SINGLE(ddns, DdnsRecord)
KZDB_SINGLE(email, EmailRecord)
KZDB_SINGLE(port, PortsRecord)
KZDB_SINGLE(upnp, UpnpRecord)
KZDB_SINGLE(multicast, MulticastRecord)
#undef KZDB_SINGLE

// ---- IP access filter: entries under keys 0..count-1 -----------------------------------

inline constexpr int KZDB_MAX_ACCESS_FILTER = 100;

struct AccessFilterEntry {
    int32_t address_type;
    char address[32];
};
static_assert(sizeof(AccessFilterEntry) == 36);

// Up to `max` entries in order; *count gets how many. 0, or -1 when unreadable.
inline int read_access_filter(const char *db, AccessFilterEntry *list, int max, int *count) {
    return kzdb::load_all(db, "access_filter", list, sizeof *list, list ? max : 0, count);
}
// Replaces the whole list by list[0, count) (count clamped to 0..100). One transaction.
int write_access_filter(const char *db, const AccessFilterEntry *list, int count);

// ---- SNMP agent, P2P cloud access, push events, certificate parameters ----------------

struct SnmpRecord {
    int32_t v1_enable;
    int32_t v2c_enable;
    char write_community[64];
    char read_community[64];
    int32_t v3_enable;
    char read_security_name[64];
    int32_t read_level_security;
    int32_t read_auth_algorithm;
    char read_auth_password[64];
    int32_t read_pri_algorithm;
    char read_pri_password[64];
    char write_security_name[64];
    int32_t write_level_security;
    int32_t write_auth_algorithm;
    char write_auth_password[64];
    int32_t write_pri_algorithm;
    char write_pri_password[64];
    int32_t port;
};
static_assert(sizeof(SnmpRecord) == 552);
static_assert(offsetof(SnmpRecord, write_community) == 8);
static_assert(offsetof(SnmpRecord, read_community) == 72);
static_assert(offsetof(SnmpRecord, read_security_name) == 140);
static_assert(offsetof(SnmpRecord, read_auth_password) == 212);
static_assert(offsetof(SnmpRecord, read_pri_password) == 280);
static_assert(offsetof(SnmpRecord, write_security_name) == 344);
static_assert(offsetof(SnmpRecord, write_auth_password) == 416);
static_assert(offsetof(SnmpRecord, write_pri_password) == 484);
static_assert(offsetof(SnmpRecord, port) == 548);

inline int read_snmp(const char *db, SnmpRecord *rec) {
    return kzdb::read_single(db, "snmp", rec);
}
inline int write_snmp(const char *db, const SnmpRecord *rec) {
    return kzdb::write_single(db, "snmp", rec);
}
inline int read_p2p_info(const char *db, P2pRecord *rec) {
    return kzdb::read_single(db, "p2p_info", rec);
}
inline int write_p2p_info(const char *db, const P2pRecord *rec) {
    return kzdb::write_single(db, "p2p_info", rec);
}

// The push event type of one channel (key: channel).
struct PushMsgEvent {
    int32_t channel;
    int32_t type;
};
static_assert(sizeof(PushMsgEvent) == 8);
KZDB_RECORD(push_msg_event, push_msg_event_list, PushMsgEvent, channel, 64)

// Channels 0..count-1 (count clamped to 0..64); a channel never stored has type 0.
inline int read_push_msg_events(const char *db, PushMsgEvent *arr, int count) {
    if (!arr) return -1;
    if (count > 64) count = 64;
    for (int ch = 0; ch < count; ++ch)
        if (read_push_msg_event(db, &arr[ch], ch) != 0) arr[ch] = PushMsgEvent{ch, 0};
    return 0;
}

// The recorder's own push event text.
struct PushNvrEvent {
    char text[65];
};
static_assert(sizeof(PushNvrEvent) == 65);
inline int read_push_msg_nvr_event(const char *db, PushNvrEvent *rec) {
    return kzdb::read_single(db, "push_msg_nvr_event", rec);
}
inline int write_push_msg_nvr_event(const char *db, const PushNvrEvent *rec) {
    return kzdb::write_single(db, "push_msg_nvr_event", rec);
}

// Certificate parameters by type (SSL_PARAMS_INSTALLED, SSL_PARAMS_REQUEST).
KZDB_RECORD(ssl_params, ssl_params_list, SslParams, type, 4)

// Factory network records and settings (kept when already stored). 0 / -1.
int init_defaults_network(const char *db);
