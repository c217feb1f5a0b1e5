// Network records of the configuration store: the LAN settings (both layouts
// in one record), time, PPPoE, DDNS, e-mail, service ports, UPnP, multicast
// and the IP access filter. Little-endian, integers signed 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kzdb.h"
#include "network_msgs.h"

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
inline int write_network_bond(const char *db, const NetworkRecord *rec) {
    if (!rec) return -1;
    kzdb::Batch batch(db);
    NetworkRecord stored{};
    read_network(db, &stored);
    stored.mode = rec->mode;
    stored.default_route = rec->default_route;
    stored.primary_net = rec->primary_net;
    stored.bond = rec->bond;
    if (write_network(db, &stored) != 0) return -1;
    return batch.commit();
}
inline int write_network_muti(const char *db, const NetworkRecord *rec) {
    if (!rec) return -1;
    kzdb::Batch batch(db);
    NetworkRecord stored{};
    read_network(db, &stored);
    stored.mode = rec->mode;
    stored.default_route = rec->default_route;
    stored.port1 = rec->port1;
    stored.port2 = rec->port2;
    if (write_network(db, &stored) != 0) return -1;
    return batch.commit();
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

// Factory network records and settings (kept when already stored). 0 / -1.
int init_defaults_network(const char *db);
