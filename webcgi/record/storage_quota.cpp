// Overwrite (recycle) mode, per-channel storage quotas and disk groups.
#include <algorithm>
#include <vector>

#include "storage.h"

namespace {

constexpr Field kQuotaFields[] = {
    FIELD(QuotaEntry, channel, "channel"),
    FIELD(QuotaEntry, video_used, "video_used"),
    FIELD(QuotaEntry, video_quota, "video_quota"),
    FIELD(QuotaEntry, picture_used, "picture_used"),
    FIELD(QuotaEntry, picture_quota, "picture_quota"),
};

constexpr Field kRecycleFields[] = {
    FIELD(RecycleMode, mode, "mode"),
    FIELD(RecycleMode, esata, "esata"),
};

Answer render_quotas(const ReplyView &r) {
    QuotaStateHead head{};
    if (!r.read(0, head)) return Answer::none();
    const size_t n = r.count_from<QuotaEntry>(sizeof head, QUOTA_MAX_ENTRIES, QUOTA_MAX_ENTRIES);
    json_object *list = json_object_new_array();
    for (size_t i = 0; i < n; i++) {
        QuotaEntry e;
        r.read(sizeof head + i * sizeof e, e);
        json_object_array_add(list, fields_render(kQuotaFields, e).release());
    }
    JsonOut out;
    out.add("enable", head.enable)
        .add("quota_array", list)
        .add("max_cameras", get_param_int(KZDB_PATH, "max_cameras", 32))
        .add("group_mode", get_param_int(KZDB_PATH, "group_mode", 0))
        .add("group_enable", get_param_int(KZDB_PATH, "group_enable", 0))
        .add("disk", head.disk)
        .add("max_chan", head.max_chan);
    return Answer::json(out);
}

// Up to 16 entries with a channel 0..63; items without one are skipped.
QuotaSet quota_request(json_object *req) {
    QuotaSet q{};
    q.enable = json_int_or(req, "enable", 0);
    json_object *list = json_get_array(req, "quota_array");
    for (size_t i = 0, n = json_len(list); i < n && q.count < 16; i++) {
        json_object *item = json_at(list, i);
        auto chn = json_channel(item, "channel");
        if (!chn) continue;
        QuotaEntry &e = q.entries[q.count++];
        e.channel = *chn;
        e.video_quota = json_int_or(item, "video_quota", 0);
        e.picture_quota = json_int_or(item, "picture_quota", 0);
    }
    return q;
}

}  // namespace

Answer on_set_recycle_mode(Request &rq) {
    json_object *req = rq.json();
    RecycleMode m{};
    if (!req || !fields_apply(kRecycleFields, req, m)) return Answer::none();
    return cgi_query(
        MSG_RECYCLE_SET, m,
        [](const ReplyView &) { return Answer::json(JsonOut().add("status", "OK")); },
        Answer::error(CGI_JSON));
}

Answer on_get_recycle_mode(Request &) {
    const int32_t zero = 0;
    return cgi_query(
        MSG_RECYCLE_GET, zero,
        [](const ReplyView &r) {
            RecycleMode m;
            if (!r.read(0, m)) return Answer::none();
            return Answer::json(fields_render(kRecycleFields, m).get());
        },
        Answer::error(CGI_JSON));
}

Answer on_get_storage_quota(Request &) {
    return cgi_query(MSG_QUOTA_GET, nullptr, 0, render_quotas, Answer::error(CGI_JSON));
}

Answer on_set_storage_quota(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    return cgi_query(MSG_QUOTA_SET, quota_request(req), render_code_text, Answer::error(CGI_JSON));
}

Answer on_set_disk_group(Request &rq) {
    json_object *req = rq.json();
    auto enable = json_int(req, "group_enable");
    if (!req || !enable) return Answer::none();
    if (*enable == 0) {
        const int32_t off = 0;
        return store_then_tell(store_param_int("group_mode", 0), Tell().notice(MSG_GROUP_MODE, off),
                               Answer::text("OK"));
    }
    Tell tell;
    int rc = 0;
    if (get_param_int(KZDB_PATH, "group_mode", 0) == 0) {
        rc = store_param_int("group_mode", *enable);
        const int32_t on = *enable;
        std::move(tell).notice(MSG_GROUP_MODE, on);
    }
    DiskGroupRecord stored[KZDB_DISK_GROUPS] = {};
    int count = 0;
    read_groups(KZDB_PATH, stored, &count);
    json_object *channels = json_get_array(req, "channel");
    const size_t n = std::min<size_t>(json_len(channels), KZDB_DISK_GROUPS);
    for (size_t i = 0; i < n; i++) {
        DiskGroupRecord g{};
        g.id = static_cast<int32_t>(i);
        for (int k = 0; k < count; k++)
            if (stored[k].id == g.id) g = stored[k];
        json_object *text = json_at(channels, i);
        copy_text(g.channel, text ? json_object_get_string(text) : "");
        std::move(tell).notice(MSG_DISK_GROUP, g);
    }
    std::move(tell).notice_bytes(MSG_STORAGE_GROUPS_CHANGED, {});
    return store_then_tell(rc, tell, Answer::text("OK"));
}
