// The action set of a people-counting group: record, schedules, white-LED,
// HTTP-notification and PTZ-link lists through the event codec.
#include <memory>
#include <string_view>

#include "camparam_shared.h"
#include "event_codec.h"
#include "kzdb.h"
#include "kzdb_records_camera.h"
#include "passthrough.h"

namespace {

constexpr int kPcntPtzEventType = 20;

struct GroupSchedule {
    const char *key;
    int (*read)(const char *, ScheduleRecord *, int);
    int (*write)(const char *, const ScheduleRecord *, int);
};
constexpr GroupSchedule kSchedules[] = {
    {"effective", read_peoplecnt_effective_schedule, write_peoplecnt_effective_schedule},
    {"audible", read_peoplecnt_audible_schedule, write_peoplecnt_audible_schedule},
    {"email", read_peoplecnt_email_schedule, write_peoplecnt_email_schedule},
    {"ptz", read_peoplecnt_ptz_schedule, write_peoplecnt_ptz_schedule},
    {"white", read_peoplecnt_wled_schedule, write_peoplecnt_wled_schedule},
};

// The shared action fields plus the group's own switch.
EventActionFields action_fields(PeopleCntEventRecord &r) {
    EventActionFields f = event_action_fields(&r);
    f.enable = &r.enable;
    return f;
}

PeopleCntEventRecord read_event(int group) {
    return read_keyed<PeopleCntEventRecord, read_peoplecnt_event>(group,
                                                                  &PeopleCntEventRecord::source);
}

json_object *schedule_json(const GroupSchedule &s, int group) {
    auto rec = std::make_unique<ScheduleRecord>();
    if (s.read(KZDB_PATH, rec.get(), group) != 0) *rec = ScheduleRecord{};
    return get_schedule_json_object(rec.get());
}

// Everything of /2070 that goes to the store, in one transaction. 0 or -1.
int store_action(json_object *req, int group) {
    kzdb::Batch batch(KZDB_PATH);
    PeopleCntEventRecord r = read_event(group);
    get_event_action_by_json(req, action_fields(r));
    if (write_peoplecnt_event(KZDB_PATH, &r) != 0) return -1;
    auto rec = std::make_unique<ScheduleRecord>();
    for (const GroupSchedule &s : kSchedules)
        if (get_schedule_by_json(req, s.key, rec.get()) == 0 &&
            s.write(KZDB_PATH, rec.get(), group) != 0)
            return -1;
    if (get_schedule_by_json(req, "httpSche", rec.get()) == 0 &&
        write_http_notification_schedule(KZDB_PATH, rec.get(), group, PEOPLECNT_HTTP_SCHEDULE) != 0)
        return -1;
    WhiteLedEntry white[WHITE_LED_ENTRIES] = {};
    int count = 0;
    if (get_pcnt_white_params_by_json(group, white, req, "whiteInfo", &count) == 0 &&
        write_peoplecnt_wled_params(KZDB_PATH, group, white, count) != 0)
        return -1;
    auto http = std::make_unique<HttpNotificationRecord>();
    if (get_http_params_by_json(group, http.get(), req, "httpParams") == 0 &&
        write_http_notification_params(KZDB_PATH, http.get(), PEOPLECNT_HTTP_PARAMS) != 0)
        return -1;
    if (json_object *links = json_get_array(req, "ptzParams"))
        set_ptz_params_by_json(group, kPcntPtzEventType, links);
    return batch.commit();
}

}  // namespace

Answer on_cgi_get_peoplecnt_action(Request &rq) {
    auto group = json_int_in(rq.json(), "groupid", kPcntGroups);
    if (!group) return Answer::error(CGI_JSON);
    PeopleCntEventRecord r = read_event(*group);
    EventActionFields f = action_fields(r);
    JsonOut o;
    for (const char *key :
         {"triAlarms", "triChnAlarms", "interval", "email_interval", "email_pic_enable",
          "tri_channels_pic", "ptz_interval", "alarmout_interval", "white_interval", "audioId"})
        if (json_object *v = get_event_action_json_value(f, key)) o.add(key, v);
    o.add("audioIdMask", get_audio_file_id_mask());
    for (const GroupSchedule &s : kSchedules)
        if (std::string_view(s.key) != "ptz") o.add(s.key, schedule_json(s, *group));
    o.add("whiteInfo", get_pcnt_white_params_json_object(*group));
    o.add("ptzParams", get_ptz_params_json_object(kPcntPtzEventType, *group));
    return Answer::json(o);
}

Answer on_cgi_set_peoplecnt_action(Request &rq) {
    json_object *req = rq.json();
    auto group = json_int_in(req, "groupid", kPcntGroups);
    if (!group) return Answer::error(CGI_JSON);
    if (store_action(req, *group) != 0) return Answer::error(CGI_JSON);
    return cgi_query(MSG_PCNT_ACTION_SAVED, PcntActionSaved{*group, 0}, render_res,
                     Answer::error(CGI_JSON));
}
