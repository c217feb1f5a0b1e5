// Schedules of the camera pages: the effective schedules of motion and the
// smart events (store only) and the day/night schedules inside messages.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "camparam_sched_msgs.h"
#include "camparam_shared.h"
#include "event_codec.h"
#include "kzdb.h"
#include "kzdb_records_camera.h"

namespace {

// Event kind 0 is motion; kinds 1..8 are smart events 0..7.
constexpr const char *kKindKeys[] = {
    "schedule_motion",          "schedule_region_entrance",  "schedule_region_exit",
    "schedule_advanced_motion", "schedule_tamper_detection", "schedule_line_crossing",
    "schedule_loitering",       "schedule_human_detection",  "schedule_people_counting",
};
static_assert(std::size(kKindKeys) == 1 + KZDB_SMART_EVENTS);

std::unique_ptr<ScheduleRecord> read_kind(int chn, int kind) {
    auto rec = std::make_unique<ScheduleRecord>();
    int rc = kind == 0 ? read_motion_effective_schedule(KZDB_PATH, rec.get(), chn)
                       : read_smart_event_effective_schedule(KZDB_PATH, rec.get(), chn, kind - 1);
    if (rc != 0) *rec = ScheduleRecord{};
    return rec;
}

int write_kind(int chn, int kind, const ScheduleRecord &rec) {
    return kind == 0 ? write_motion_effective_schedule(KZDB_PATH, &rec, chn)
                     : write_smart_event_effective_schedule(KZDB_PATH, &rec, chn, kind - 1);
}

struct DayNightKind {
    int get, set;
    bool exposure;
};
constexpr DayNightKind kDayNight[] = {{MSG_DAY_NIGHT_GET[0], MSG_DAY_NIGHT_SET[0], false},
                                      {MSG_DAY_NIGHT_GET[1], MSG_DAY_NIGHT_SET[1], true},
                                      {MSG_DAY_NIGHT_GET[2], MSG_DAY_NIGHT_SET[2], false}};

const DayNightKind &day_night_of(const char *code) {
    // /2041-/2046: one get and one set per schedule, in pairs
    int n = std::atoi(code + 1) - 2041;
    return kDayNight[std::clamp(n / 2, 0, 2)];
}

Answer render_day_night(const DayNightKind &k, const ReplyView &r) {
    auto msg = std::make_unique<DayNightExposureSchedule>();
    if (!r.read(0, msg->base)) return Answer::error(CGI_JSON);
    JsonPtr days(get_schedule_json_object(&msg->base.schedule));
    if (k.exposure && r.read(sizeof msg->base, msg->exposure)) {
        for (int d = 0; d < SCHEDULE_DAYS; ++d) {
            for (int s = 0; s < DAY_NIGHT_WEB_ENTRIES; ++s) {
                json_object *entry = json_at(json_at(days.get(), d), s);
                json_object_object_add(entry, "exposureTime",
                                       json_object_new_int(msg->exposure.value[d][s][0]));
                json_object_object_add(entry, "gainLevel",
                                       json_object_new_int(msg->exposure.value[d][s][1]));
            }
        }
    }
    JsonOut o;
    o.add("schedule", days.release());
    return Answer::json(o);
}

// Exposure of web-form entry [d][s]: items 3 and 4 of its positional array.
void take_exposure(json_object *req, DayNightExposure &e) {
    json_object *rows = json_get_array(req, "schedule");
    for (int d = 0; d < SCHEDULE_DAYS; ++d)
        for (int s = 0; s < DAY_NIGHT_WEB_ENTRIES; ++s)
            for (int i = 0; i < 2; ++i) {
                auto v = json_as_int(json_at(json_at(json_at(rows, d), s), 3 + i));
                e.value[d][s][i] = v.value_or(0);
            }
}

}  // namespace

Answer on_get_effective_schedules(Request &rq) {
    auto chn = json_channel(rq.json(), "channel");
    if (!chn) return Answer::error(CGI_JSON);
    JsonOut o;
    for (int kind = 0; kind < static_cast<int>(std::size(kKindKeys)); ++kind)
        o.add(kKindKeys[kind], get_schedule_json_object(read_kind(*chn, kind).get()));
    return Answer::json(o);
}

Answer on_set_effective_schedules(Request &rq) {
    json_object *req = rq.json();
    constexpr Limit kKinds{0, static_cast<int>(std::size(kKindKeys)) - 1};
    auto chn = json_channel(req, "channel");
    auto start = json_int_in(req, "start", kKinds);
    auto end = json_int_in(req, "end", kKinds);
    if (!chn || !start || !end) return Answer::error(CGI_JSON);
    kzdb::Batch batch(KZDB_PATH);
    auto rec = std::make_unique<ScheduleRecord>();
    for (int kind = *start; kind <= *end; ++kind) {
        if (get_schedule_by_json(req, kKindKeys[kind], rec.get()) != 0) continue;
        if (write_kind(*chn, kind, *rec) != 0) return Answer::error(CGI_TEXT);
    }
    return batch.commit() == 0 ? Answer::text("OK") : Answer::error(CGI_TEXT);
}

Answer on_get_day_night_schedule(Request &rq) {
    const DayNightKind &k = day_night_of(rq.code);
    auto chn = json_channel(rq.json(), "id");
    if (!chn) return Answer::error(CGI_JSON);
    return cgi_query(
        k.get, int32_t{*chn}, [&k](const ReplyView &r) { return render_day_night(k, r); },
        Answer::error(CGI_JSON));
}

Answer on_set_day_night_schedule(Request &rq) {
    const DayNightKind &k = day_night_of(rq.code);
    json_object *req = rq.json();
    auto chn = json_channel(req, "channel");
    auto msg = std::make_unique<DayNightExposureSchedule>();
    if (!chn || get_schedule_by_json(req, "schedule", &msg->base.schedule) != 0)
        return Answer::error(CGI_JSON);
    msg->base.channel = *chn;
    if (k.exposure) {
        take_exposure(req, msg->exposure);
        cgi_notify(k.set, *msg);
    } else {
        cgi_notify(k.set, msg->base);
    }
    return Answer::text("OK");
}
