// Single-entry edits of the PTZ-link lists: which PTZ camera moves, and how, when an event
// of a source fires. People counting (event type 20) keeps its own, shorter lists.
#include "osd.h"

#include "event_codec.h"

namespace {

// The event types that keep PTZ-link lists: motion, video loss and alarm inputs, the
// analytics events, the plate-list modes, people counting and the regional counters, and
// the cameras' alarm inputs.
bool event_type_ok(int t) {
    return t == 0 || t == 1 || t == 2 || (t >= 5 && t <= 17) || (t >= 20 && t <= 26) ||
           (t >= 30 && t <= 33);
}

struct LinkReq {
    int type;
    PtzLinkEntry entry;
};

// "type" and "chn_id" of a request; nullopt when either is missing or out of range.
std::optional<LinkReq> link_request(json_object *req) {
    auto type = json_int(req, "type");
    auto chn = json_channel(req, "chn_id");
    if (!type || !chn || !event_type_ok(*type)) return std::nullopt;
    LinkReq out{*type, {}};
    out.entry.source = *chn;
    return out;
}

// The target and action of an entry; the one number its action kind uses.
bool read_action(json_object *req, PtzLinkEntry &e) {
    auto target = json_int(req, "acto_ptz_channel");
    auto kind = json_int(req, "acto_ptz_type");
    if (!target || !kind) return false;
    e.acto_ptz_channel = *target;
    e.acto_ptz_type = *kind;
    static constexpr const char *kNumberKey[] = {"acto_ptz_preset", "acto_ptz_patrol",
                                                 "acto_ptz_pattern"};
    int32_t *number[] = {&e.acto_ptz_preset, &e.acto_ptz_patrol, &e.acto_ptz_pattern};
    if (*kind >= 1 && *kind <= 3) *number[*kind - 1] = json_int_or(req, kNumberKey[*kind - 1], 0);
    return true;
}

Answer stored(int rc) {
    return rc == 0 ? Answer::text("OK") : Answer::error(CGI_TEXT);
}

int drop(const LinkReq &l, int target) {
    PtzLinkEntry e = l.entry;
    e.acto_ptz_channel = target;
    return l.type == PTZ_EVENT_PEOPLE_COUNTING ? delete_peoplecnt_ptz_params(KZDB_PATH, &e)
                                               : delete_ptz_params(KZDB_PATH, &e, l.type);
}

}  // namespace

Answer on_set_ptz_params(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto l = link_request(req);
    if (!l || !read_action(req, l->entry)) return Answer::error(CGI_TEXT);
    return stored(l->type == PTZ_EVENT_PEOPLE_COUNTING
                      ? write_peoplecnt_ptz_params(KZDB_PATH, &l->entry)
                      : write_ptz_params(KZDB_PATH, &l->entry, l->type));
}

Answer on_update_ptz_params(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto l = link_request(req);
    auto old = json_int(req, "old_chn_id");
    if (!l || !old || !read_action(req, l->entry)) return Answer::error(CGI_TEXT);
    return stored(l->type == PTZ_EVENT_PEOPLE_COUNTING
                      ? update_peoplecnt_ptz_params(KZDB_PATH, &l->entry, *old)
                      : update_ptz_params(KZDB_PATH, &l->entry, l->type, *old));
}

Answer on_get_ptz_params(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto l = link_request(req);
    if (!l) return Answer::error(CGI_TEXT);
    JsonOut out;
    out.add("ptzInfo", get_ptz_params_json_object(l->type, l->entry.source));
    return Answer::json(out);
}

Answer on_delete_ptz_params(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto l = link_request(req);
    auto target = json_int(req, "acto_ptz_channel");
    if (!l || !target || *target < 0) return Answer::error(CGI_TEXT);
    return stored(drop(*l, *target));
}

Answer on_delete_ptz_params_batch(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto l = link_request(req);
    json_object *targets = json_get_array(req, "ptzChannel");
    if (!l) return Answer::error(CGI_TEXT);
    kzdb::Batch batch(KZDB_PATH);
    int rc = 0;
    for (size_t i = 0; i < json_len(targets); i++)
        if (auto t = json_as_int(json_at(targets, i))) rc |= drop(*l, *t);
    return stored(rc != 0 ? -1 : batch.commit());
}
