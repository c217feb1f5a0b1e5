// Pieces the motion handlers share: the kind descriptor, record access, channel checks and
// the core notices.
#include <cerrno>
#include <cstdlib>

#include "motion.h"

namespace {

constexpr EventScheduleSlot kMotionSchedules[] = {
    {"effective", MOTION_EFFECTIVE_SCHEDULE},
    {"audible", MOTION_AUDIBLE_SCHEDULE},
    {"email", MOTION_EMAIL_SCHEDULE},
    {"ptz", MOTION_PTZ_SCHEDULE},
};

void read_as(int source, void *rec) {
    *static_cast<MotionRecord *>(rec) = motion_read(source);
}
int write_as(const void *rec) {
    return write_motion(KZDB_PATH, static_cast<const MotionRecord *>(rec));
}
int copy_as(const void *rec, uint64_t mask) {
    const SetWords w = set_words(mask);
    return copy_motions(KZDB_PATH, static_cast<const MotionRecord *>(rec), w.low, w.high);
}
EventActionFields fields_as(void *rec) {
    return motion_action_fields(*static_cast<MotionRecord *>(rec));
}

}  // namespace

const EventKind kMotionKind{kMotionSchedules,
                            MOTION_WHITE_SCHEDULE,
                            MOTION_WHITE_PARAMS,
                            MOTION_HTTP_SCHEDULE,
                            MOTION_HTTP_PARAMS,
                            PTZ_EVENT_MOTION,
                            read_as,
                            write_as,
                            copy_as,
                            fields_as};

EventActionFields motion_action_fields(MotionRecord &rec) {
    return event_action_fields_of(rec);
}

MotionRecord motion_read(int chn) {
    MotionRecord rec{};
    rec.chnid = chn;
    read_motion(KZDB_PATH, &rec, chn);
    rec.chnid = chn;
    return rec;
}

bool motion_channel(json_object *req, const char *key, int *chn) {
    int v = -1;
    if (on_cgi_get_int_from_json(req, key, &v) != 0 || v < 0 || v >= KZDB_EVENT_CHANNELS)
        return false;
    *chn = v;
    return true;
}

int motion_text_channel(const char *text) {
    if (!text) return -1;
    errno = 0;
    long v = std::strtol(text, nullptr, 10);  // leading digits, as the client sends them
    if (errno != 0 || v < 0 || v >= KZDB_EVENT_CHANNELS) return -1;
    return static_cast<int>(v);
}

Tell motion_changed(Tell t, int chn) {
    return std::move(t).notice(MSG_MOTION_CHANGED, int32_t{chn});
}

CameraMotionSchedule full_day_schedule(int chn) {
    CameraMotionSchedule s{};
    s.channel = chn;
    for (int d = 0; d < 7; d++) {
        s.day[d].day = d;
        s.day[d].enabled = 1;
        for (CameraMotionPeriod &p : s.day[d].period)
            p = {0, 0, 24, 0};
    }
    return s;
}

Tell camera_detection(Tell t, int chn, int enable_kz) {
    CameraDetectSwitch sw{};
    sw.channel = chn;
    sw.flag = enable_kz == 1 ? 1 : 0;
    // notice() hands back t itself: never assign it to t (a self-move empties it).
    Tell out = std::move(t).notice(MSG_MOTION_CAM_SWITCH, sw);
    if (enable_kz != 1) return out;
    return std::move(out).notice(MSG_MOTION_CAM_SCHEDULE, full_day_schedule(chn));
}

void append_mask_channels(uint64_t mask, int32_t (&list)[64], int32_t *count) {
    for (int ch = 0; ch < 64; ch++) {
        if (!(mask >> ch & 1) || *count < 0 || *count >= 64) continue;
        list[(*count)++] = ch;
    }
}
