// Pieces the motion handlers share: record access, channel checks and the core notices.
#include <cerrno>
#include <cstdlib>

#include "cgi_ipc.h"
#include "cgi_log.h"
#include "motion.h"

EventActionFields motion_action_fields(MotionRecord &rec) {
    EventActionFields f;
    f.enable = &rec.enable;
    f.tri_channels = rec.tri_channels;
    f.tri_channels_bits = &rec.tri_channels_bits;
    f.tri_alarms = &rec.tri_alarms;
    f.tri_chn_alarms = rec.tri_chn_alarms;
    f.interval = &rec.interval;
    f.email_enable = &rec.email_enable;
    f.email_interval = &rec.email_interval;
    f.email_pic_enable = &rec.email_pic_enable;
    f.tri_channels_pic = rec.tri_channels_pic;
    f.ptz_interval = &rec.ptz_interval;
    f.alarmout_interval = &rec.alarmout_interval;
    f.white_interval = &rec.white_interval;
    f.http_notification_interval = &rec.http_notification_interval;
    f.audio_id = &rec.audio_id;
    return f;
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

void send_motion_changed(int chn) {
    int32_t ch = chn;
    cgi_send_ipc(MSG_MOTION_CHANGED, &ch, sizeof ch);
}

void send_motion_log(int chn) {
    OperationLogRecord rec;
    cgi_init_log_info(&rec);
    cgi_send_log(&rec, LOG_SUB_MOTION, LOG_PARAM_MOTION, chn + 1);
}

void send_motion_copy_log(int chn, uint64_t mask) {
    OperationLogRecordEx rec{};
    cgi_init_log_info(&rec.base);
    rec.base.sub_type = LOG_SUB_MOTION;
    rec.base.param_type = LOG_PARAM_MOTION;
    rec.base.channel = chn + 1;
    rec.extra[0] = static_cast<int32_t>(static_cast<uint32_t>(mask));
    rec.extra[1] = static_cast<int32_t>(static_cast<uint32_t>(mask >> 32));
    cgi_send_ipc(MSG_OPERATION_LOG_EX, &rec, sizeof rec);
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

void send_camera_detection(int chn, int enable_kz) {
    CameraDetectSwitch sw{};
    sw.channel = chn;
    sw.flag = enable_kz == 1 ? 1 : 0;
    cgi_send_ipc(MSG_MOTION_CAM_SWITCH, &sw, sizeof sw);
    if (enable_kz != 1) return;
    CameraMotionSchedule s = full_day_schedule(chn);
    cgi_send_ipc(MSG_MOTION_CAM_SCHEDULE, &s, sizeof s);
}

void append_mask_channels(uint64_t mask, int32_t (&list)[64], int32_t *count) {
    for (int ch = 0; ch < 64; ch++) {
        if (!(mask >> ch & 1) || *count < 0 || *count >= 64) continue;
        list[(*count)++] = ch;
    }
}
