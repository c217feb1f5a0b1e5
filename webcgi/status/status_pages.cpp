// Status pages: each asks the core daemon once and renders its reply records
// (counts from the payload size, texts within their fields); without a reply
// they answer {status:"CGI ERROR"}.
#include <string>

#include "kzdb_records_storage.h"
#include "status_common.h"
#include "status_handlers.h"
#include "status_msgs.h"

namespace {

constexpr Field kNetifFields[] = {
    FIELD(NetifStatusRecord, ifname, "ifname"),
    FIELD(NetifStatusRecord, id, "id"),
    FIELD(NetifStatusRecord, state, "state"),
    FIELD(NetifStatusRecord, speed_mode, "speedMode"),
    FIELD(NetifStatusRecord, duplex, "duplex"),
    FIELD(NetifStatusRecord, enable, "enable"),
    FIELD(NetifStatusRecord, dhcp_enable, "dhcpEnable"),
    FIELD(NetifStatusRecord, ip_addr, "ipAddr"),
    FIELD(NetifStatusRecord, mac, "MAC"),
    FIELD(NetifStatusRecord, primary_dns, "primaryDNS"),
    FIELD(NetifStatusRecord, second_dns, "secondDNS"),
    FIELD(NetifStatusRecord, gateway, "gateway"),
    FIELD(NetifStatusRecord, netmask, "netmask"),
    FIELD(NetifStatusRecord, mtu, "mtu"),
    FIELD(NetifStatusRecord, ip6_mode, "ip6mode"),
    FIELD(NetifStatusRecord, ip6_address, "ip6address"),
    FIELD(NetifStatusRecord, ip6_prefix, "ip6prefix"),
    FIELD(NetifStatusRecord, ip6_gateway, "ip6gateway"),
};

constexpr Field kSpeedFields[] = {
    FIELD(NetifSpeedRecord, id, "id"),
    FIELD(NetifSpeedRecord, ifname, "ifname"),
    FIELD(NetifSpeedRecord, rx_speed, "RxSpeed"),
    FIELD(NetifSpeedRecord, tx_speed, "TxSpeed"),
};

// "res" groups the two leading words of a stream record.
constexpr Field object_at(const char *key, size_t offset, std::span<const Field> sub) {
    Field f{key, static_cast<uint32_t>(offset), FieldType::Object};
    f.sub = sub;
    return f;
}
constexpr Field kResFields[] = {
    FIELD(IpcStreamStatus, width, "width"),
    FIELD(IpcStreamStatus, height, "height"),
};
constexpr Field kStreamFields[] = {
    object_at("res", 0, kResFields),
    FIELD(IpcStreamStatus, framerate, "framerate"),
    FIELD(IpcStreamStatus, bitrate, "bitrate"),
    FIELD(IpcStreamStatus, connection, "connection"),
    FIELD(IpcStreamStatus, connect_status, "connectStatus"),
};
constexpr Field kIpcFields[] = {
    FIELD(IpcStatusRecord, recording, "recordOn"),
    FIELD(IpcStatusRecord, alarm, "alarmOn"),
    FIELD_OBJECT(IpcStatusRecord, main, "main", kStreamFields),
    FIELD_OBJECT(IpcStatusRecord, sub, "sub", kStreamFields),
};

constexpr Field kUserFields[] = {
    FIELD(OnlineUserRecord, user_name, "userName"),
    FIELD(OnlineUserRecord, user_level, "userLevel"),
    FIELD(OnlineUserRecord, ip_addr, "ipaddr"),
    FIELD(OnlineUserRecord, login_time, "loginTime"),
};

// Every whole record of the reply rendered through `fields`, as a JSON array.
template <class Rec>
json_object *render_records(const ReplyView &r, std::span<const Field> fields) {
    json_object *list = json_object_new_array();
    for (size_t i = 0, n = r.count<Rec>(); i < n; i++) {
        Rec rec{};
        r.get(i, rec);
        json_object *o = json_object_new_object();
        fields_render_into(fields, &rec, o);
        json_object_array_add(list, o);
    }
    return list;
}

template <class Rec>
Answer query_netif(int type, std::span<const Field> fields) {
    return cgi_query(
        type, nullptr, 0,
        [&](const ReplyView &r) {
            JsonOut out;
            out.add("netif", render_records<Rec>(r, fields));
            return Answer::json(out);
        },
        Answer::error(CGI_JSON));
}

// A stream shown without a connected camera: every value "--", no status.
json_object *absent_stream() {
    JsonOut s;
    s.add("res", "--").add("framerate", "--").add("bitrate", "--").add("connection", "--");
    return s.release();
}

Answer render_ipc(const ReplyView &r) {
    const std::vector<ChannelFacts> facts = read_channel_facts();
    const size_t records = r.count<IpcStatusRecord>();
    size_t next = 0;
    json_object *list = json_object_new_array();
    for (int ch = 0, n = status_channel_count(); ch < n; ch++) {
        const ChannelFacts &f = facts[static_cast<size_t>(ch)];
        JsonOut o;
        o.add("id", ch).add("name", f.name).add("enable", f.enable);
        o.add("ipAddr", f.ip_addr[0] ? f.ip_addr : "--");
        IpcStatusRecord rec{};
        if (next < records && r.get(next, rec) && rec.channel == ch) {
            fields_render_into(kIpcFields, &rec, o.get());
            next++;
        } else {
            o.add("recordOn", "--").add("alarmOn", "--");
            o.add("main", absent_stream()).add("sub", absent_stream());
        }
        json_object_array_add(list, o.release());
    }
    JsonOut out;
    out.add("IPC", list);
    return Answer::json(out);
}

}  // namespace

Answer on_get_netif_status(Request &) {
    return query_netif<NetifStatusRecord>(MSG_NETIF_STATUS, kNetifFields);
}

Answer on_get_netif_speed(Request &) {
    return query_netif<NetifSpeedRecord>(MSG_NETIF_SPEED, kSpeedFields);
}

Answer on_get_ipc_status(Request &) {
    return cgi_query(MSG_IPC_STATUS, nullptr, 0, render_ipc, Answer::error(CGI_JSON));
}

Answer on_status_nothing(Request &) {
    return Answer::none();
}

Answer on_get_disk_space(Request &) {
    return cgi_query(
        MSG_DISK_SPACE, nullptr, 0,
        [](const ReplyView &r) {
            DiskSpaceRecord d{};
            if (!r.read(0, d)) return Answer::error(CGI_JSON);
            JsonOut out;
            out.add("total", d.total).add("free", d.free).add("used", d.used);
            return Answer::json(out);
        },
        Answer::error(CGI_JSON));
}

Answer on_get_channel_support(Request &) {
    return cgi_query(
        MSG_CHANNEL_SUPPORT, nullptr, 0,
        [](const ReplyView &r) {
            std::string support(STATUS_CHANNELS, '0'), type(STATUS_CHANNELS, '0');
            const size_t n = std::min<size_t>(r.count<ChannelSupportRecord>(), STATUS_CHANNELS);
            for (size_t ch = 0; ch < n; ch++) {
                ChannelSupportRecord c{};
                r.get(ch, c);
                if (c.support == 1) support[ch] = '1';
                if (c.type == 1 || c.type == 2) type[ch] = static_cast<char>('0' + c.type);
            }
            JsonOut out;
            out.add("support", support.c_str()).add("type", type.c_str());
            return Answer::json(out);
        },
        Answer::error(CGI_JSON));
}

Answer on_get_group_status(Request &) {
    json_object *names = json_object_new_array();
    DiskGroupRecord groups[KZDB_DISK_GROUPS] = {};
    int count = 0;
    read_groups(KZDB_PATH, groups, &count);
    for (int id = 0; id < KZDB_DISK_GROUPS; id++) {
        std::string_view text;
        for (int k = 0; k < count; k++)
            if (groups[k].id == id) text = field_text(groups[k].channel, sizeof groups[k].channel);
        json_object_array_add(names, json_text(text));
    }
    // Disk ports are 1..36; a port with no stored record is absent.
    json_object *disks = json_object_new_array();
    std::vector<DiskRecord> recs(KZDB_MAX_DISKS);
    int n = 0;
    read_disks(KZDB_PATH, recs.data(), &n);
    for (int port = 1; port < KZDB_MAX_DISKS; port++) {
        int v = 0;
        for (int k = 0; k < n; k++)
            if (recs[static_cast<size_t>(k)].port == port)
                v = recs[static_cast<size_t>(k)].group + 1;
        json_object_array_add(disks, json_object_new_int(v));
    }
    JsonOut out;
    out.add("channel", names).add("disk", disks);
    out.add("max_chan", get_param_int(KZDB_PATH, "max_cameras", 32));
    out.add("group_enable", get_param_int(KZDB_PATH, "group_mode", 0));
    return Answer::json(out);
}

Answer on_cgi_get_online_user_status(Request &) {
    return cgi_query(
        MSG_ONLINE_USERS, nullptr, 0,
        [](const ReplyView &r) {
            JsonPtr list(render_records<OnlineUserRecord>(r, kUserFields));
            return Answer::json(list.get());
        },
        Answer::error(CGI_JSON));
}
