// Factory network settings of a fresh device, and the access-filter list writer.
#include <cstring>

#include "kzdb_records.h"
#include "kzdb_records_network.h"

namespace {

NetworkRecord factory_network() {
    NetworkRecord n{};
    n.mode = 0;
    kzdb::set_text(n.host_name, "NVR");
    n.port1.enable = 1;
    kzdb::set_text(n.port1.ip_addr, "192.168.1.100");
    kzdb::set_text(n.port1.netmask, "255.255.255.0");
    kzdb::set_text(n.port1.gateway, "192.168.1.1");
    kzdb::set_text(n.port1.dns1, "192.168.1.1");
    kzdb::set_text(n.port1.dns2, "8.8.8.8");
    n.port1.mtu = 1500;
    n.port2 = n.port1;
    n.port2.enable = 0;
    kzdb::set_text(n.port2.ip_addr, "192.168.2.100");
    kzdb::set_text(n.port2.gateway, "192.168.2.1");
    n.bond = n.port1;
    return n;
}

TimeRecord factory_time() {
    TimeRecord t{};
    kzdb::set_text(t.time_zone, "GMT+00:00");
    kzdb::set_text(t.time_zone_name, "UTC");
    kzdb::set_text(t.ntp_server, "pool.ntp.org");
    t.sync_interval = 24;
    return t;
}

PortsRecord factory_ports() {
    PortsRecord p{};
    p.ssh_port = 22;
    p.http_port = 80;
    p.rtsp_port = 554;
    p.service_port = 6036;
    p.https_port = 443;
    return p;
}

SnmpRecord factory_snmp() {
    SnmpRecord s{};
    kzdb::set_text(s.write_community, "private");
    kzdb::set_text(s.read_community, "public");
    s.port = 161;
    return s;
}

int add_param(const char *db, const char *key, const char *value) {
    return check_param_key(db, key) == 0 ? 0 : add_param_value(db, key, value);
}

}  // namespace

int write_access_filter(const char *db, const AccessFilterEntry *list, int count) {
    if (count < 0) count = 0;
    if (count > KZDB_MAX_ACCESS_FILTER) count = KZDB_MAX_ACCESS_FILTER;
    if (!list && count > 0) return -1;
    kzdb::Batch batch(db);
    if (!batch.ok()) return -1;
    for (int key = 0; key < KZDB_MAX_ACCESS_FILTER; ++key)
        kzdb::erase(db, "access_filter", key);
    for (int i = 0; i < count; ++i)
        if (kzdb::store(db, "access_filter", i, &list[i], sizeof list[i]) != 0) return -1;
    return batch.commit();
}

int init_defaults_network(const char *db) {
    const NetworkRecord net = factory_network();
    const TimeRecord time = factory_time();
    const PortsRecord ports = factory_ports();
    kzdb::Batch batch(db);
    if (!batch.ok()) return -1;
    if (kzdb::store_new(db, "network", 0, &net, sizeof net) < 0) return -1;
    if (kzdb::store_new(db, "time", 0, &time, sizeof time) < 0) return -1;
    if (kzdb::store_new(db, "port", 0, &ports, sizeof ports) < 0) return -1;
    if (add_param(db, "access_filter_enable", "0") != 0) return -1;
    if (add_param(db, "access_filter_type", "1") != 0) return -1;
    const SnmpRecord snmp = factory_snmp();
    const P2pRecord p2p{};
    if (kzdb::store_new(db, "snmp", 0, &snmp, sizeof snmp) < 0) return -1;
    if (kzdb::store_new(db, "p2p_info", 0, &p2p, sizeof p2p) < 0) return -1;
    static const char *const kServiceParams[][2] = {
        {"push_type", "0"},       {"pushmsg_alarmin_type", "65535"},
        {"enable_push_msg", "0"}, {"video_push_stream", "0"},
        {"ch_access", "0"},       {"max_poe_num", "0"},
        {"httpsenable", "0"},     {"p2p_server", "127.0.0.1"},
    };
    for (const auto &p : kServiceParams)
        if (add_param(db, p[0], p[1]) != 0) return -1;
    return batch.commit();
}
