// The shared shapes of an event kind (see event_kind.h).
#include "event_kind.h"

#include <cstring>
#include <unordered_set>

namespace {

bool source_ok(int source) {
    return source >= 0 && source < KZDB_EVENT_CHANNELS;
}

// The store kind of schedule key `key`, or null when the kind has none.
const char *schedule_kind(const EventKind &k, const char *key) {
    if (std::strcmp(key, "white") == 0) return k.white_schedule;
    if (std::strcmp(key, "httpSche") == 0) return k.http_schedule;
    for (const EventScheduleSlot &s : k.schedules)
        if (std::strcmp(s.key, key) == 0) return s.kind;
    return nullptr;
}

json_object *key_value(const EventKind &k, int source, const EventActionFields &f,
                       const KindKey &key, const OwnValue &own) {
    switch (key.src) {
        case KeySrc::Field:
            return get_event_action_json_value(f, key.key);
        case KeySrc::Schedule: {
            const char *kind = schedule_kind(k, key.key);
            return kind ? get_stored_schedule_json_object(kind, source) : nullptr;
        }
        case KeySrc::WhiteInfo:
            return get_white_params_json_object(source, k.white_params);
        case KeySrc::Http:
            return get_http_params_json_object(source, k.http_params);
        case KeySrc::AudioMask:
            return json_object_new_int(get_audio_file_id_mask());
        case KeySrc::Ptz:
            return get_ptz_params_json_object(k.ptz_type, source);
        case KeySrc::Own:
            return own ? own(key.key) : nullptr;
    }
    return nullptr;
}

void save_http(const EventKind &k, json_object *req, int source) {
    ScheduleRecord sched;
    if (get_schedule_by_json(req, "httpSche", &sched) == 0)
        write_http_notification_schedule(KZDB_PATH, &sched, source, k.http_schedule);
    HttpNotificationRecord http;
    if (get_http_params_by_json(source, &http, req, "httpParams") == 0)
        write_http_notification_params(KZDB_PATH, &http, k.http_params);
}

// 1 when the request's PTZ-link list was stored.
int save_ptz_links(json_object *req) {
    auto source = json_int(req, "ptzChnId");
    auto type = json_int(req, "ptzType");
    if (!source || !type) return 0;
    return set_ptz_params_by_json(*source, *type, json_get_array(req, "ptzParams"));
}

}  // namespace

void event_kind_render_into(const EventKind &k, int source, void *rec,
                            std::span<const KindKey> keys, json_object *out, const OwnValue &own) {
    const EventActionFields f = k.fields(rec);
    for (const KindKey &key : keys)
        json_object_object_add(out, key.key, key_value(k, source, f, key, own));
}

JsonPtr event_kind_render(const EventKind &k, int source, void *rec, std::span<const KindKey> keys,
                          const OwnValue &own) {
    JsonPtr out(json_object_new_object());
    event_kind_render_into(k, source, rec, keys, out.get(), own);
    return out;
}

int event_kind_save(const EventKind &k, json_object *req, int source, void *rec,
                    const ActionSave &form) {
    if (!source_ok(source)) return -1;
    set_event_schedules_by_json(req, source, k.schedules);
    ScheduleRecord white;
    if (get_schedule_by_json(req, "white", &white) == 0)
        write_whiteled_effective_schedule(KZDB_PATH, &white, source, k.white_schedule);
    set_white_params_by_json(source, k.white_params, req, "whiteInfo");
    if (form.http) save_http(k, req, source);
    k.read(source, rec);
    EventActionFields f = k.fields(rec);
    if (form.trim) form.trim(f);
    int changed = get_event_action_by_json(req, f);
    if (form.ptz) changed += save_ptz_links(req);
    if (changed > 0) k.write(rec);
    return changed;
}

int event_kind_copy(const EventKind &k, int source, const void *rec, uint64_t mask) {
    if (!source_ok(source)) return -1;
    const SetWords w = set_words(mask);
    int rc = k.copy(rec, mask);
    for (const EventScheduleSlot &slot : k.schedules) {
        ScheduleRecord s{};
        kzdb::read_schedule(KZDB_PATH, slot.kind, &s, source);
        rc |= kzdb::copy_schedules(KZDB_PATH, slot.kind, &s, mask);
    }
    ScheduleRecord white{}, http_sched{};
    read_whiteled_effective_schedule(KZDB_PATH, &white, source, k.white_schedule);
    rc |= copy_whiteled_effective_schedules(KZDB_PATH, &white, k.white_schedule, w.low, w.high);
    read_http_notification_schedule(KZDB_PATH, &http_sched, source, k.http_schedule);
    rc |= copy_http_notification_schedules(KZDB_PATH, &http_sched, k.http_schedule, w.low, w.high);
    // The white-LED table holds sources 0..15 only; beyond that there is no list to copy.
    if (source < WHITE_LED_SOURCES)
        rc |= copy_whiteled_params(KZDB_PATH, k.white_params, source, w.low, w.high);
    HttpNotificationRecord http{};
    http.source = source;
    read_http_notification_params(KZDB_PATH, &http, k.http_params, source);
    rc |= copy_http_notification_params(KZDB_PATH, &http, k.http_params, w.low, w.high);
    rc |= copy_ptz_params_all(KZDB_PATH, k.ptz_type, source, w.low, w.high);
    return rc == 0 ? 0 : -1;
}

BatchList get_batch_list_by_json(json_object *req, const char *count_key, const char *array_key,
                                 Limit lim) {
    BatchList out;
    auto cnt = json_int(req, count_key);
    json_object *items = json_get_array(req, array_key);
    if (!cnt || *cnt < 1 || !items) return out;
    const size_t n = std::min({static_cast<size_t>(*cnt), json_len(items), size_t{64}});
    std::unordered_set<int> seen;
    for (size_t i = 0; i < n; i++) {
        auto v = json_as_int(json_at(items, i));
        if (!v || !lim.has(*v) || !seen.insert(*v).second) continue;
        out.list.push_back(*v);
        if (*v >= 0 && *v < 64) out.set |= uint64_t{1} << *v;
    }
    return out;
}

OperationLogRecordEx log_with_set(int64_t sub_type, int32_t param_type, int32_t channel,
                                  uint64_t set) {
    OperationLogRecordEx rec{};
    cgi_init_log_info(&rec.base);
    rec.base.sub_type = sub_type;
    rec.base.param_type = param_type;
    rec.base.channel = channel;
    const SetWords w = set_words(set);
    rec.extra[0] = static_cast<int32_t>(w.low);
    rec.extra[1] = static_cast<int32_t>(w.high);
    return rec;
}

Answer stored_schedule_answer(const char *kind, int source) {
    return Answer::json(JsonPtr(get_stored_schedule_json_object(kind, source)).get());
}
