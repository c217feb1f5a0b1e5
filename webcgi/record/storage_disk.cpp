// Local disks and RAID arrays: disk settings, format, RAID create, remove and
// rebuild, hot spares and the RAID mode.
#include <string>

#include "storage.h"

namespace {

// The settings a client may change in a disk record.
constexpr Field kDiskSettingFields[] = {
    FIELD(DiskRecord, property, "property", Limit{0, 1}),
    FIELD(DiskRecord, group, "group"),
};

// Text of a format code; nullopt for codes that answer nothing.
std::optional<std::string> format_text(int32_t code) {
    switch (code) {
        case 0:
            return "OK";
        case 1:
            return "USING";
        case -1:
            return "ERROR FORMAT";
        case -3:
            return "NAS LOW CAP";
        default:
            return std::nullopt;
    }
}

}  // namespace

Answer on_set_disk_info(Request &rq) {
    json_object *req = rq.json();
    auto port = json_int_in(req, "portId", kDiskSettingIds);
    if (!req || !port) return Answer::none();
    DiskRecord rec = disk_or_empty(*port);
    if (!fields_apply(kDiskSettingFields, req, rec)) return Answer::none();
    IntRead priv = json_read_int(req, "private");
    if (priv.got == Got::Bad) return Answer::none();
    DiskSettings note{*port, rec.property, rec.group, priv.value};
    return store_then_tell(write_disk(KZDB_PATH, &rec),
                           Tell()
                               .notice(MSG_DISK_SETTINGS, note)
                               .log(LOG_SUB_DISK_SETTINGS, LOG_PARAM_DISK_SETTINGS, *port),
                           Answer::text("OK"));
}

Answer on_format_disk(Request &rq) {
    auto port = text_id(rq.text, kFormatPorts);
    if (!port) return Answer::none();
    int32_t formatted = -1;
    int32_t p = *port;
    Answer a = cgi_query(
        MSG_DISK_FORMAT, p,
        [&](const ReplyView &r) {
            int32_t code;
            if (!r.read(0, code)) return Answer::none();
            auto text = format_text(code);
            if (code == 0) formatted = 1;
            return text ? Answer::text(*text) : Answer::none();
        },
        Answer::error(CGI_JSON));
    FormatLogDetail d{};
    d.port = p;
    d.formatted = formatted;
    cgi_log_operation(LOG_SUB_DISK_FORMAT, LOG_PARAM_STORAGE, p,
                      log_detail(LOG_DETAIL_FORMAT, &d, sizeof d));
    return a;
}

Answer on_get_format_progress(Request &rq) {
    if (!text_id(rq.text, kProgressPorts)) return Answer::none();
    return Answer::text("OK");
}

Answer on_create_raid(Request &rq) {
    json_object *req = rq.json();
    constexpr Limit kNotNegative{0, INT32_MAX};
    auto id = json_int_in(req, "id", kRaidCreateIds);
    auto enable = json_int(req, "enable");
    auto level = json_int_in(req, "level", kNotNegative);
    auto count = json_int_in(req, "sata_cnt", kNotNegative);
    auto mask = json_int_in(req, "sata_port", kNotNegative);
    if (!id || !enable || !level || !count || !mask) return Answer::none();
    RaidRequest raid{};
    raid.id = *id, raid.enable = *enable, raid.level = *level, raid.member_count = *count;
    int n = 0;
    for (int bit = 0; bit < 16; bit++)
        if (*mask & (1 << bit)) raid.members[n++] = bit;
    return cgi_query(MSG_RAID_CREATE, raid, render_code_text, Answer::error(CGI_TEXT));
}

Answer on_remove_raid(Request &rq) {
    auto id = text_id(rq.text, kRaidRemoveIds);
    if (!id) return Answer::none();
    RaidRequest raid{};
    raid.id = *id;
    return cgi_query(MSG_RAID_REMOVE, raid, render_code_text, Answer::error(CGI_TEXT));
}

Answer on_set_hot_space(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto port = json_int_in(req, "port", kDiskPorts);
    auto flag = json_int(req, "hotflag");
    if (!port) return Answer::error(CGI_TEXT);
    if (!flag) return Answer::none();
    int32_t p = *port;
    return cgi_query(*flag ? MSG_HOT_SPARE_SET : MSG_HOT_SPARE_CLEAR, p, render_code_text,
                     Answer::error(CGI_TEXT));
}

Answer on_rebuild_raid(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto disk = json_int_in(req, "diskport", kDiskPorts);
    auto raid = json_int_in(req, "raidport", kDiskPorts);
    if (!disk || !raid) return Answer::error(CGI_TEXT);
    RaidRebuild msg{*disk, *raid};
    return cgi_query(MSG_RAID_REBUILD, msg, render_code_text, Answer::error(CGI_TEXT));
}

Answer on_get_raid_mode(Request &) {
    return Answer::text(std::to_string(get_param_int(KZDB_PATH, "raidmode", 0)));
}

Answer on_set_raid_mode(Request &rq) {
    int mode = text_id(rq.text, Limit{0, 1}).value_or(0);
    return store_then_tell(store_param_int("raidmode", mode), Tell(), Answer::text("OK"));
}
