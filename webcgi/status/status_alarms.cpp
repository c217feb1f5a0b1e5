// /8003: per-channel event and alarm states from the one 8305 record, with the
// stored names of channels, camera alarm ports and the NVR's own inputs and
// outputs.
#include <cstring>
#include <memory>

#include "kzdb_records_alarm.h"
#include "kzdb_records_gui.h"
#include "status_common.h"
#include "status_handlers.h"
#include "status_msgs.h"

namespace {

// One channel's row, flattened from the masks so that one field map renders it.
struct ChannelAlarmRow {
    int32_t id;
    char name[64];
    char ip_addr[64];
    int32_t video_loss, motion, io, entrance, exiting, advanced_motion, tampering;
    int32_t line_crossing, loitering, human, object_left_removed;
    int32_t in, out;
    char in_name[KZDB_CAM_ALARM_INS][64];
    int32_t in_type[KZDB_CAM_ALARM_INS];
    int32_t in_state[KZDB_CAM_ALARM_INS];
    char out_name[KZDB_CAM_ALARM_OUTS][64];
    int32_t out_delay[KZDB_CAM_ALARM_OUTS];
    int32_t out_type[KZDB_CAM_ALARM_OUTS];
    int32_t out_state[KZDB_CAM_ALARM_OUTS];
};
static_assert(sizeof ChannelAlarmRow::in_name[0] == sizeof CamAlarmName::name);
static_assert(sizeof ChannelAlarmRow::out_name[0] == sizeof CamAlarmName::name);

#define CAM_IN(k)                                                \
    FIELD_AT(ChannelAlarmRow, in_name, k, "AlarmInName" #k),     \
        FIELD_AT(ChannelAlarmRow, in_type, k, "AlarmInType" #k), \
        FIELD_AT(ChannelAlarmRow, in_state, k, "AlarmInState" #k)
#define CAM_OUT(k)                                                   \
    FIELD_AT(ChannelAlarmRow, out_name, k, "AlarmOutName" #k),       \
        FIELD_AT(ChannelAlarmRow, out_delay, k, "AlarmOutDelay" #k), \
        FIELD_AT(ChannelAlarmRow, out_type, k, "AlarmOutType" #k),   \
        FIELD_AT(ChannelAlarmRow, out_state, k, "AlarmOutState" #k)

constexpr Field kChannelAlarmFields[] = {
    FIELD(ChannelAlarmRow, id, "id"),
    FIELD(ChannelAlarmRow, name, "name"),
    FIELD(ChannelAlarmRow, ip_addr, "ipAddr"),
    FIELD(ChannelAlarmRow, video_loss, "videolossOn"),
    FIELD(ChannelAlarmRow, motion, "motionOn"),
    FIELD(ChannelAlarmRow, io, "ioOn"),
    FIELD(ChannelAlarmRow, entrance, "entrance"),
    FIELD(ChannelAlarmRow, exiting, "exiting"),
    FIELD(ChannelAlarmRow, advanced_motion, "advancedMotion"),
    FIELD(ChannelAlarmRow, tampering, "tampering"),
    FIELD(ChannelAlarmRow, line_crossing, "lineCrossing"),
    FIELD(ChannelAlarmRow, loitering, "loitering"),
    FIELD(ChannelAlarmRow, human, "humanDetection"),
    FIELD(ChannelAlarmRow, object_left_removed, "objectleftremove"),
    FIELD(ChannelAlarmRow, in, "in"),
    FIELD(ChannelAlarmRow, out, "out"),
    CAM_IN(0),
    CAM_IN(1),
    CAM_IN(2),
    CAM_IN(3),
    CAM_OUT(0),
    CAM_OUT(1),
};
#undef CAM_IN
#undef CAM_OUT

int32_t bit(uint64_t mask, int n) {
    return static_cast<int32_t>(mask >> n & 1);
}

ChannelAlarmRow channel_row(const AlarmStatusRecord &s, int ch, const ChannelFacts &f,
                            const CamAlarmName *in_names, const CamAlarmName *out_names) {
    ChannelAlarmRow row{};
    row.id = ch;
    copy_text(row.name, field_text(f.name, sizeof f.name));
    copy_text(row.ip_addr, field_text(f.ip_addr, sizeof f.ip_addr));
    row.video_loss = bit(s.video_loss, ch);
    row.motion = bit(s.motion, ch);
    row.io = 1;
    row.entrance = bit(s.entrance, ch);
    row.exiting = bit(s.exiting, ch);
    row.advanced_motion = bit(s.advanced_motion, ch);
    row.tampering = bit(s.tampering, ch);
    row.line_crossing = bit(s.line_crossing, ch);
    row.loitering = bit(s.loitering, ch);
    row.human = bit(s.human, ch);
    row.object_left_removed = bit(s.object_left_removed, ch);
    row.in = s.channel[ch].in;
    row.out = s.channel[ch].out;
    for (int k = 0; k < KZDB_CAM_ALARM_INS; k++) {
        const CamAlarmName &n = in_names[ch * KZDB_CAM_ALARM_INS + k];
        std::memcpy(row.in_name[k], n.name, sizeof n.name);  // a full field has no NUL
        row.in_type[k] = bit(s.cam_in_type[k], ch);
        row.in_state[k] = bit(s.cam_in_state[k], ch);
    }
    for (int k = 0; k < KZDB_CAM_ALARM_OUTS; k++) {
        const CamAlarmName &n = out_names[ch * KZDB_CAM_ALARM_OUTS + k];
        std::memcpy(row.out_name[k], n.name, sizeof n.name);
        row.out_delay[k] = 0;  // the store keeps no delay for camera outputs
        row.out_type[k] = bit(s.cam_out_type[k], ch);
        row.out_state[k] = bit(s.cam_out_state[k], ch);
    }
    return row;
}

json_object *render_cameras(const AlarmStatusRecord &s) {
    const std::vector<ChannelFacts> facts = read_channel_facts();
    std::vector<CamAlarmName> in_names(KZDB_MAX_CHANNELS * KZDB_CAM_ALARM_INS);
    std::vector<CamAlarmName> out_names(KZDB_MAX_CHANNELS * KZDB_CAM_ALARM_OUTS);
    read_alarm_chnIn_event_names(KZDB_PATH, in_names.data());
    read_alarm_chnOut_event_names(KZDB_PATH, out_names.data());
    json_object *list = json_object_new_array();
    for (int ch = 0, n = status_channel_count(); ch < n; ch++) {
        const ChannelAlarmRow row =
            channel_row(s, ch, facts[static_cast<size_t>(ch)], in_names.data(), out_names.data());
        json_object *o = json_object_new_object();
        fields_render_into(kChannelAlarmFields, &row, o);
        json_object_array_add(list, o);
    }
    return list;
}

json_object *render_nvr_inputs(const AlarmStatusRecord &s) {
    json_object *list = json_object_new_array();
    const int n = status_setting_count(PARAM_ALARM_IN, 16, KZDB_NVR_ALARM_INS);
    for (int i = 0; i < n; i++) {
        const AlarmInRecord rec = alarm_in_or_cleared(KZDB_PATH, i);
        JsonOut o;
        o.add("id", i).add("name", json_field(rec.name)).add("type", rec.type);
        o.add("state", static_cast<int>(static_cast<uint32_t>(s.nvr_in_states) >> i & 1));
        json_object_array_add(list, o.release());
    }
    return list;
}

json_object *render_nvr_outputs(const AlarmStatusRecord &s) {
    AlarmOutRecord outs[KZDB_ALARM_OUTS] = {};
    int count = 0;
    read_alarm_outs(KZDB_PATH, outs, &count);
    json_object *list = json_object_new_array();
    const int n = status_setting_count(PARAM_ALARM_OUT, 4, KZDB_ALARM_OUTS);
    for (int i = 0; i < n; i++) {
        AlarmOutRecord rec{};
        for (int k = 0; k < count; k++)
            if (outs[k].id == i) rec = outs[k];
        JsonOut o;
        o.add("id", i).add("name", json_field(rec.name)).add("type", rec.type);
        o.add("duration", rec.duration_time);
        o.add("state", static_cast<int>(static_cast<uint32_t>(s.nvr_out_states) >> i & 1));
        json_object_array_add(list, o.release());
    }
    return list;
}

}  // namespace

Answer on_get_alarm_status(Request &) {
    return cgi_query(
        MSG_ALARM_STATUS, nullptr, 0,
        [](const ReplyView &r) {
            // The record is large: kept off the handler's stack.
            auto s = std::make_unique<AlarmStatusRecord>();
            if (!r.read(0, *s)) return Answer::error(CGI_JSON);  // shorter than its record
            JsonOut out;
            out.add("cameras", render_cameras(*s));
            out.add("alarmIn", render_nvr_inputs(*s)).add("alarmOut", render_nvr_outputs(*s));
            return Answer::json(out);
        },
        Answer::error(CGI_JSON));
}
