// Holidays, record schedules, record modes and advanced record settings (ANR included).
#include <cstring>

#include "event_codec.h"
#include "handler.h"
#include "kzdb_records_camera.h"
#include "kzdb_records_record.h"
#include "record_limits.h"
#include "record_msgs.h"
#include "schedule.h"

namespace {

constexpr Field kHolidayFields[] = {
    FIELD(HolidayRecord, id, "id", kHolidayIds),
    FIELD(HolidayRecord, enable, "enable", kOnOff),
    FIELD(HolidayRecord, name, "name"),
    FIELD(HolidayRecord, type, "type", kNonNegative),
    FIELD(HolidayRecord, start_year, "startYear"),
    FIELD(HolidayRecord, start_mon, "startMon"),
    FIELD(HolidayRecord, start_mday, "startMDay"),
    FIELD(HolidayRecord, start_mweek, "startMWeek"),
    FIELD(HolidayRecord, start_wday, "startWDay"),
    FIELD(HolidayRecord, end_year, "endYear"),
    FIELD(HolidayRecord, end_mon, "endMon"),
    FIELD(HolidayRecord, end_mday, "endMDay"),
    FIELD(HolidayRecord, end_mweek, "endMWeek"),
    FIELD(HolidayRecord, end_wday, "endWDay"),
};

constexpr Field kModeFields[] = {
    FIELD(RecordRecord, id, "id", kChannelIds),
    FIELD(RecordRecord, mode, "mode", kRecordModes),
};

// What /6045 copies into each named channel's record.
constexpr Field kRecordSetFields[] = {
    FIELD(RecordRecord, prev_record_on, "prevRecordOn", kOnOff),
    FIELD(RecordRecord, prev_record_duration, "prevRecordDuration", kNonNegative),
    FIELD(RecordRecord, post_record_on, "postRecordOn", kOnOff),
    FIELD(RecordRecord, post_record_duration, "postRecordDuration"),
    FIELD(RecordRecord, audio_enable, "audioEnable", kOnOff),
    FIELD(RecordRecord, record_exp_date, "recordExpDate"),
};

// The /6044 reply: a channel's record settings with the camera values beside them.
struct RecordAdvanced {
    int32_t prev_on, prev_duration, post_on, post_duration, audio, stream, exp_date;
    int32_t anr, cam_enable, cam_protocol, poe_channel;
};
constexpr Field kAdvancedFields[] = {
    FIELD(RecordAdvanced, prev_on, "prevRecordOn"),
    FIELD(RecordAdvanced, prev_duration, "prevRecordDuration"),
    FIELD(RecordAdvanced, post_on, "postRecordOn"),
    FIELD(RecordAdvanced, post_duration, "postRecordDuration"),
    FIELD(RecordAdvanced, audio, "audioEnable"),
    FIELD(RecordAdvanced, stream, "recordStreamType"),
    FIELD(RecordAdvanced, exp_date, "recordExpDate"),
    FIELD(RecordAdvanced, anr, "cameraAnr"),
    FIELD(RecordAdvanced, cam_enable, "camEnable"),
    FIELD(RecordAdvanced, cam_protocol, "camProtocol"),
    FIELD(RecordAdvanced, poe_channel, "poeChannel"),
};

constexpr int kProtocolRtsp = 1;

// All 64 record records indexed by channel (cleared where nothing is stored).
void read_records_by_channel(RecordRecord (&out)[KZDB_RECORD_CHANNELS]) {
    RecordRecord all[KZDB_RECORD_CHANNELS]{};
    int n = 0;
    for (int ch = 0; ch < KZDB_RECORD_CHANNELS; ch++) {
        out[ch] = RecordRecord{};
        out[ch].id = ch;
    }
    read_records(KZDB_PATH, all, &n);
    for (int i = 0; i < n; i++)
        if (kChannelIds.has(all[i].id)) out[all[i].id] = all[i];
}

}  // namespace

int for_each_listed_channel(json_object *req, const char *array_key, int count,
                            const std::function<void(int)> &fn) {
    json_object *ids = json_get_array(req, array_key);
    size_t n = count > 0 ? static_cast<size_t>(count) : 0;
    int seen = 0;
    for (size_t i = 0; i < n && i < json_len(ids); i++) {
        std::optional<int> ch = json_as_int(json_at(ids, i));
        if (!ch || !kChannelIds.has(*ch)) continue;  // missing items never read as channel 0
        fn(*ch);
        seen++;
    }
    return seen;
}

Answer on_get_holiday_info(Request &) {
    HolidayRecord all[KZDB_HOLIDAYS]{};
    int n = 0;
    read_holidays(KZDB_PATH, all, &n);
    json_object *list = json_object_new_array();
    for (int i = 0; i < n; i++)
        json_object_array_add(list, fields_render(kHolidayFields, all[i]).release());
    return Answer::json(JsonOut().add("holidays", list));
}

Answer on_set_holiday_info(Request &rq) {
    json_object *req = rq.json();
    if (!json_read_int(req, "id", kHolidayIds) || !json_read_int(req, "enable", kOnOff) ||
        !json_read_int(req, "type", kNonNegative))
        return Answer::none();
    HolidayRecord h{};
    if (!fields_apply(kHolidayFields, req, h)) return Answer::none();
    kzdb::Batch batch(KZDB_PATH);
    write_holiday(KZDB_PATH, &h);
    return store_then_tell(batch.commit(),
                           Tell().notice_bytes(MSG_HOLIDAY_CHANGED, {}).log(204, 920, h.id + 1),
                           Answer::text("OK"));
}

Answer on_get_record_info(Request &rq) {
    std::optional<int> chn = text_id(rq.text, kChannelIds);
    if (!chn) return Answer::none();
    RecordScheduleRecord sched{};
    read_record_schedule(KZDB_PATH, &sched, *chn);
    return Answer::json(JsonOut().add("schedule", get_record_schedule_json_object(&sched)));
}

Answer on_set_record_info(Request &rq) {
    json_object *req = rq.json();
    IntRead cnt = json_read_int(req, "cnt");
    IntRead mode = json_read_int(req, "recordplanmode", kRecordModes);
    if (!cnt || mode.got == Got::Bad) return Answer::none();
    RecordScheduleRecord sched;
    const bool has_schedule = get_record_schedule_by_json(req, "schedule", &sched) == 0;
    RecordRecord recs[KZDB_RECORD_CHANNELS];
    read_records_by_channel(recs);
    uint64_t sched_mask = 0, mode_mask = 0;
    for_each_listed_channel(req, "chnid", cnt.value, [&](int ch) {
        if (has_schedule) sched_mask |= 1ull << ch;
        if (mode && recs[ch].mode != mode.value) mode_mask |= 1ull << ch;
    });
    kzdb::Batch batch(KZDB_PATH);
    if (sched_mask) copy_record_schedules(KZDB_PATH, &sched, sched_mask);
    if (mode_mask) copy_table_column_int(KZDB_PATH, "record", "mode", mode.value, mode_mask);
    return store_then_tell(batch.commit(),
                           Tell()
                               .notice(MSG_RECORD_MODE_MASK, mode_mask)
                               .notice(MSG_RECORD_SCHEDULE_MASK, sched_mask)
                               .log(204, 907, 0),
                           Answer::text("OK"));
}

Answer on_get_record_modes(Request &) {
    const int n = std::clamp(get_param_int(KZDB_PATH, "max_cameras", 32), 0, 64);
    RecordRecord recs[KZDB_RECORD_CHANNELS];
    read_records_by_channel(recs);
    json_object *list = json_object_new_array();
    for (int ch = 0; ch < n; ch++)
        json_object_array_add(list, fields_render(kModeFields, recs[ch]).release());
    return Answer::json(JsonOut().add("records", list));
}

Answer on_set_record_modes(Request &rq) {
    json_object *list = json_get_array(rq.json(), "records");
    if (!list) return Answer::text("ERROR");
    const size_t n = json_len(list);
    RecordRecord recs[KZDB_RECORD_CHANNELS];
    read_records_by_channel(recs);
    uint64_t mask = 0;
    for (size_t i = 0; i < n; i++) {
        json_object *el = json_at(list, i);
        IntRead mode = json_read_int(el, "mode", kRecordModes);
        // Element i is channel i: there is no channel for an index past 63.
        if (i >= KZDB_RECORD_CHANNELS || !json_read_int(el, "id", kChannelIds) || !mode)
            return Answer::text("ERROR");
        recs[i].mode = mode.value;
        mask |= 1ull << i;
    }
    kzdb::Batch batch(KZDB_PATH);
    write_records(KZDB_PATH, recs, mask);
    Answer ok = Answer::text("OK").then([n] {
        for (size_t i = 0; i < n; i++)
            cgi_notify(MSG_RECORD_MODE_CHANNEL, static_cast<int32_t>(i));
    });
    return store_then_tell(batch.commit(), Tell().log(204, 905, 0), std::move(ok),
                           Answer::text("ERROR"));
}

Answer on_get_record_advanced(Request &rq) {
    std::optional<int> chn = text_id(rq.text, kChannelIds);
    if (!chn) return Answer::none();
    RecordRecord rec{};
    rec.id = *chn;
    CameraRecord cam{};
    read_record(KZDB_PATH, &rec, *chn);
    read_camera(KZDB_PATH, &cam, *chn);
    RecordAdvanced a{
        rec.prev_record_on, rec.prev_record_duration, rec.post_record_on,  rec.post_record_duration,
        rec.audio_enable,   cam.record_stream,        rec.record_exp_date, cam.anr,
        cam.enable,         cam.cam_protocol,         cam.poe_channel};
    return Answer::json(fields_render(kAdvancedFields, a).get());
}

namespace {

// 7285: resp -1 when the core marks the reply valid and any listed camera refused.
Answer render_anr_result(const ReplyView &r) {
    AnrApplyReply rep;
    if (!r.get(0, rep)) return Answer::error(CGI_JSON);
    const int count = std::clamp<int>(rep.count, 0, REC_MAX_IDS);
    bool failed = false;
    for (int i = 0; i < count; i++)
        failed = failed || rep.failed[i] != 0;
    return Answer::json(JsonOut().add("resp", rep.valid && count >= 1 && failed ? -1 : 0));
}

bool anr_accepted(const CameraRecord &cam, int cam_anr) {
    if (cam.anr == cam_anr) return false;
    if (cam_anr == 0) return true;
    return cam.enable && cam.poe_channel <= 0 && cam.cam_protocol != kProtocolRtsp;
}

}  // namespace

Answer on_set_record_advanced(Request &rq) {
    json_object *req = rq.json();
    IntRead cnt = json_read_int(req, "cnt");
    IntRead anr = json_read_int(req, "camAnr");
    IntRead stream = json_read_int(req, "recordStreamType", kRecordStreams);
    RecordRecord probe{};
    if (!cnt || !anr || !stream || !json_get_array(req, "chnid") ||
        !json_read_int(req, "postRecordDuration") || !fields_apply(kRecordSetFields, req, probe))
        return Answer::none();
    RecordRecord recs[KZDB_RECORD_CHANNELS];
    read_records_by_channel(recs);
    uint64_t rec_mask = 0, stream_mask = 0, anr_mask = 0;
    RecordChannelList streams{};
    AnrApplyRequest anr_req{};
    anr_req.cam_anr = anr.value;
    for_each_listed_channel(req, "chnid", cnt.value, [&](int ch) {
        CameraRecord cam{};
        read_camera(KZDB_PATH, &cam, ch);
        fields_apply(kRecordSetFields, req, recs[ch]);
        rec_mask |= 1ull << ch;
        if (cam.record_stream != stream.value && !(stream_mask >> ch & 1)) {
            stream_mask |= 1ull << ch;
            streams.ids[streams.count++] = ch;
        }
        if (anr_accepted(cam, anr.value) && !(anr_mask >> ch & 1)) {
            anr_mask |= 1ull << ch;
            anr_req.ids[anr_req.count++] = ch;
        }
    });
    kzdb::Batch batch(KZDB_PATH);
    write_records(KZDB_PATH, recs, rec_mask);
    if (anr_mask) copy_table_column_int(KZDB_PATH, "camera", "anr", anr.value, anr_mask);
    if (stream_mask)
        copy_table_column_int(KZDB_PATH, "camera", "record_stream", stream.value, stream_mask);
    const int rc = batch.commit();
    Answer failed =
        store_then_tell(rc, Tell().notice(MSG_RECORD_STREAM_CHANGED, streams).log(204, 906, 0),
                        Answer::none(), Answer::error(CGI_JSON));
    if (rc != 0) return failed;
    return cgi_query(MSG_CAMERA_ANR_APPLY, anr_req, render_anr_result, Answer::error(CGI_JSON));
}

Answer on_get_anr_support(Request &rq) {
    std::optional<int> chn = text_id(rq.text, kChannelIds);
    if (!chn) return Answer::none();
    const int32_t channel = *chn;
    return cgi_query(
        MSG_CAMERA_ANR_SUPPORT, channel,
        [](const ReplyView &r) {
            AnrSupportReply rep;
            if (!r.get(0, rep)) return Answer::error(CGI_JSON);
            return Answer::json(JsonOut().add("chnid", rep.channel).add("support", rep.support));
        },
        Answer::error(CGI_JSON));
}

Answer on_get_record_channel_lists(Request &) {
    return cgi_query(
        MSG_RECORD_CHANNEL_LISTS, nullptr, 0,
        [](const ReplyView &r) {
            RecordChannelLists rep;
            if (!r.get(0, rep)) return Answer::error(CGI_JSON);
            const int n = std::clamp<int>(rep.n, 0, 64);
            json_object *primary = json_object_new_array();
            json_object *secondary = json_object_new_array();
            for (int i = 0; i < n; i++) {
                json_object_array_add(primary, json_object_new_int(rep.primary[i]));
                json_object_array_add(secondary, json_object_new_int(rep.secondary[i]));
            }
            return Answer::json(
                JsonOut().add("primary", primary).add("secondary", secondary).add("size", n));
        },
        Answer::error(CGI_JSON));
}
