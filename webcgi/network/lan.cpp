// LAN settings: show and save both layouts, mode, restart, MAC, IP-conflict
// checks and the default route.
#include <cstdlib>
#include <string>

#include "device.h"
#include "net_common.h"
#include "netif.h"
#include "netsim.h"
#include "network_fields.h"
#include "network_handlers.h"
#include "network_msgs.h"

namespace {

// The IPv6 triple of one block: stored texts, or what the live interface has.
void add_ip6_triple(const NetBlock &b, std::span<const Field> stored, const char *ifname,
                    json_object *out) {
    if (b.ip6_type == 0 || (b.ip6_type == 1 && b.ip6_addr[0] && b.ip6_prefix[0])) {
        fields_render_into(stored, &b, out);
        return;
    }
    char addr[64] = "", prefix[16] = "", gw[64] = "";
    if (net_get_ipv6_ifaddr(b.ip6_type == 1, ifname, addr, sizeof addr, prefix, sizeof prefix) ==
        0) {
        json_object_object_add(out, stored[0].key, json_text(addr));
        json_object_object_add(out, stored[1].key, json_text(prefix));
    }
    if (net_get_ipv6_gateway2(0, ifname, gw, sizeof gw) == 0 ||
        net_get_ipv6_gateway2(1, ifname, gw, sizeof gw) == 0)
        json_object_object_add(out, stored[2].key, json_text(gw));
}

JsonPtr render_bonded(const NetworkRecord &n, const char *mac0) {
    JsonPtr out = fields_render(kNetworkTop, n);
    fields_render_into(kPrimaryNet, &n, out.get());
    fields_render_into(kBondHead, &n.bond, out.get());
    json_object_object_add(out.get(), "macAddr", json_text(mac0));
    fields_render_into(kBondTail, &n.bond, out.get());
    add_ip6_triple(n.bond, kIp6Triple1, "bond0", out.get());
    fields_render_into(kDefaultRoute, &n, out.get());
    return out;
}

void add_port(const NetBlock &b, std::span<const Field> head, std::span<const Field> triple,
              const char *ifname, const char *mac_key, const char *mac, std::span<const Field> tail,
              json_object *out) {
    fields_render_into(head, &b, out);
    add_ip6_triple(b, triple, ifname, out);
    json_object_object_add(out, mac_key, json_text(mac));
    fields_render_into(tail, &b, out);
}

JsonPtr render_two_lan(const NetworkRecord &n, const char *mac0, const char *mac1) {
    JsonPtr out = fields_render(kNetworkTop, n);
    add_port(n.port1, kPort1Head, kIp6Triple1, "eth0", "macAddr", mac0, kPort1Tail, out.get());
    add_port(n.port2, kPort2Head, kIp6Triple2, "eth1", "macAddr2", mac1, kPort2Tail, out.get());
    fields_render_into(kDefaultRoute, &n, out.get());
    return out;
}

// Applies a block's keys; the IPv6 gateway only when the IPv6 type after
// this request is not 2 (the core fills it itself then).
bool apply_block(json_object *req, std::span<const Field> head, std::span<const Field> triple,
                 std::span<const Field> tail, NetBlock &b) {
    NetBlock next = b;
    if (!fields_apply(head, req, next) || !fields_apply(tail, req, next) ||
        !fields_apply(triple, req, next))
        return false;
    if (next.ip6_type == 2) copy_text(next.ip6_gateway, field_text(b.ip6_gateway, 64));
    b = next;
    return true;
}

// The exception record that goes with a save made over an address conflict.
void log_conflict() {
    OperationLogRecord rec;
    cgi_init_log_info(&rec);
    rec.main_type = LOG_MAIN_NET_EXCEPTION;
    rec.sub_type = LOG_SUB_NET_IP_CONFLICT;
    rec.param_type = LOG_PARAM_NET_LAN;
    rec.channel = 0;
    cgi_notify(MSG_OPERATION_LOG, rec);
}

}  // namespace

Answer on_get_network_info(Request &rq) {
    if (!rq.text[0]) return Answer::none();
    NetworkRecord n{};
    read_network(KZDB_PATH, &n);
    char *end = nullptr;
    const long asked = std::strtol(rq.text, &end, 10);
    n.mode = (end != rq.text && kNetworkModes.has(asked)) ? static_cast<int32_t>(asked)
             : kNetworkModes.has(n.mode)                  ? n.mode
                                                          : 0;
    char mac0[18], mac1[18];
    get_mac_addr(mac0, mac1);
    return Answer::json(n.mode == 0 ? render_two_lan(n, mac0, mac1).get()
                                    : render_bonded(n, mac0).get());
}

Answer on_set_network_info(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    NetworkRecord n{};
    read_network(KZDB_PATH, &n);
    IntRead mode = json_read_int(req, "mode", kNetworkModes);
    if (mode.got == Got::Bad) return Answer::none();  // a mode without a layout
    if (mode) n.mode = mode.value;
    if (!kNetworkModes.has(n.mode)) return Answer::none();
    const int conflict = json_int_or(req, "Conflict", 0);
    const int32_t slave_clear = json_int_or(req, "slaveClear", 0);
    kzdb::Batch batch(KZDB_PATH);
    int rc = -1;
    if (n.mode == 0) {
        if (!apply_block(req, kPort1Head, kIp6Triple1, kPort1Tail, n.port1) ||
            !apply_block(req, kPort2Head, kIp6Triple2, kPort2Tail, n.port2) ||
            !fields_apply(kDefaultRoute, req, n))
            return Answer::none();
        rc = write_network_muti(KZDB_PATH, &n);
    } else {
        if ((n.mode == 2 && !fields_apply(kPrimaryNet, req, n)) ||
            !apply_block(req, kBondHead, kIp6Triple1, kBondTail, n.bond))
            return Answer::none();
        rc = write_network_bond(KZDB_PATH, &n);
    }
    if (rc == 0) rc = batch.commit();
    Answer a = store_then_tell(rc,
                               Tell()
                                   .notice(MSG_NETWORK_SLAVE_CLEAR, slave_clear)
                                   .notice(MSG_SETTING_CHANGED, setting_name("network"))
                                   .log(LOG_SUB_NET_SET, LOG_PARAM_NET_LAN, 0),
                               Answer::text("OK"));
    if (rc == 0 && conflict == 1) log_conflict();
    return a;
}

Answer on_get_network_mode(Request &) {
    const int mode = read_network_mode(KZDB_PATH);
    return mode < 0 ? Answer::error(CGI_TEXT) : Answer::text(std::to_string(mode));
}

Answer on_restart_network(Request &) {
    cgi_notify(MSG_NETWORK_RESTART, NetworkRestart{});
    return Answer::text("OK");
}

Answer on_get_mac0(Request &) {
    char conf[64], mac[96];
    read_mac_conf(conf, sizeof conf);
    mac_insert_colons(conf, mac, sizeof mac);
    return Answer::json(JsonOut().add("mac0", mac));
}

Answer on_ip_conflict(Request &rq) {
    auto ip = json_text_of(rq.json(), "ip");
    if (!ip) return Answer::none();
    IpConflictRequest req{};
    copy_text(req.ip, 16, *ip);
    return query_int(MSG_IP_CONFLICT, req, IntReply::ZeroOrMinusOne, Answer::error(CGI_TEXT));
}

Answer on_ip_conflict_by_dev(Request &rq) {
    auto dev = json_text_of(rq.json(), "dev");
    auto ip = json_text_of(rq.json(), "ip");
    if (!dev || !ip) return Answer::none();
    DevIpConflictRequest req{};
    copy_text(req.dev, *dev);
    copy_text(req.ip, *ip);
    return query_int(MSG_IP_CONFLICT_DEV, req, IntReply::ZeroOrMinusOne, Answer::error(CGI_TEXT));
}

Answer on_cgi_set_default_route(Request &rq) {
    NetworkRecord n{};
    auto route = json_int(rq.json(), "defaultRoute");
    if (!route || read_network(KZDB_PATH, &n) != 0) return Answer::error(CGI_JSON);
    const int32_t payload = *route;
    return query_int(MSG_DEFAULT_ROUTE, payload, IntReply::Res, Answer::error(CGI_JSON));
}
