// Camera alarm inputs and outputs: states from the camera (through the core daemon),
// names, schedules and action blocks from the store.
#include <cstring>
#include <string>

#include "alarm.h"
#include "text.h"

namespace {

// Store names of the camera inputs' tables: one per input, keyed by channel.
constexpr const char *kInEffective[] = {
    "alarm_chnin_effective_schedule_0", "alarm_chnin_effective_schedule_1",
    "alarm_chnin_effective_schedule_2", "alarm_chnin_effective_schedule_3"};
constexpr const char *kInAudible[] = {
    "alarm_chnin_audible_schedule_0", "alarm_chnin_audible_schedule_1",
    "alarm_chnin_audible_schedule_2", "alarm_chnin_audible_schedule_3"};
constexpr const char *kInMail[] = {"alarm_chnin_mail_schedule_0", "alarm_chnin_mail_schedule_1",
                                   "alarm_chnin_mail_schedule_2", "alarm_chnin_mail_schedule_3"};
constexpr const char *kInPtz[] = {"alarm_chnin_ptz_schedule_0", "alarm_chnin_ptz_schedule_1",
                                  "alarm_chnin_ptz_schedule_2", "alarm_chnin_ptz_schedule_3"};
constexpr const char *kInWhite[] = {"alarm_chnin_whiteled_esche_0", "alarm_chnin_whiteled_esche_1",
                                    "alarm_chnin_whiteled_esche_2", "alarm_chnin_whiteled_esche_3"};
constexpr const char *kInWhiteParams[] = {
    "alarm_chnin_white_led_params_0", "alarm_chnin_white_led_params_1",
    "alarm_chnin_white_led_params_2", "alarm_chnin_white_led_params_3"};
constexpr const char *kInHttp[] = {
    "alarm_chnin_http_notification_sche_0", "alarm_chnin_http_notification_sche_1",
    "alarm_chnin_http_notification_sche_2", "alarm_chnin_http_notification_sche_3"};
constexpr const char *kInHttpParams[] = {
    "alarm_chnin_http_notification_params_0", "alarm_chnin_http_notification_params_1",
    "alarm_chnin_http_notification_params_2", "alarm_chnin_http_notification_params_3"};

template <int I>
constexpr EventScheduleSlot kInSlots[] = {{"effective", kInEffective[I]},
                                          {"audible", kInAudible[I]},
                                          {"email", kInMail[I]},
                                          {"ptz", kInPtz[I]}};

template <int I>
void read_in(int chn, void *rec) {
    auto *r = static_cast<CamAlarmInEvent *>(rec);
    *r = CamAlarmInEvent{};
    read_alarm_chnIn_event(KZDB_PATH, r, chn, I);
    r->chnid = chn;
    r->input = I;
    r->key = cam_alarm_key(chn, I);
}
int write_in(const void *rec) {
    return write_alarm_chnIn_event(KZDB_PATH, static_cast<const CamAlarmInEvent *>(rec));
}
int copy_in(const void *rec, uint64_t mask) {
    const SetWords w = set_words(mask);
    return copy_alarm_chnIn_events(KZDB_PATH, static_cast<const CamAlarmInEvent *>(rec), w.low,
                                   w.high);
}
EventActionFields fields_in(void *rec) {
    return event_action_fields_of(*static_cast<CamAlarmInEvent *>(rec));
}

template <int I>
constexpr EventKind kCamIn{kInSlots<I>, kInWhite[I],      kInWhiteParams[I],
                           kInHttp[I],  kInHttpParams[I], PTZ_EVENT_CAM_ALARM_IN + I,
                           read_in<I>,  write_in,         copy_in,
                           fields_in};
const EventKind *const kCamInKinds[KZDB_CAM_ALARM_INS] = {&kCamIn<0>, &kCamIn<1>, &kCamIn<2>,
                                                          &kCamIn<3>};

// The action block of each camera input in the /6024 reply, in the client's order.
constexpr KindKey kInputKeys[] = {
    {"effective", KeySrc::Schedule},      {"audible", KeySrc::Schedule},
    {"interval", KeySrc::Field},          {"audioId", KeySrc::Field},
    {"audioIdMask", KeySrc::AudioMask},   {"email", KeySrc::Schedule},
    {"email_interval", KeySrc::Field},    {"email_pic_enable", KeySrc::Field},
    {"tri_channels_pic", KeySrc::Field},  {"ptz", KeySrc::Schedule},
    {"ptz_interval", KeySrc::Field},      {"ptzParams", KeySrc::Ptz},
    {"alarmout_interval", KeySrc::Field}, {"triAlarms", KeySrc::Field},
    {"triChannels", KeySrc::Field},       {"triChnAlarms", KeySrc::Field},
    {"white", KeySrc::Schedule},          {"whiteInfo", KeySrc::WhiteInfo},
    {"white_interval", KeySrc::Field},    {"http_notification_interval", KeySrc::Field},
    {"httpSche", KeySrc::Schedule},       {"httpParams", KeySrc::Http},
};

const char *out_schedule_kind(int out) {
    static constexpr const char *kKinds[] = {"alarm_chnout_effective_schedule_0",
                                             "alarm_chnout_effective_schedule_1"};
    return kKinds[out];
}

std::string stored_name(bool input, int chn, int index) {
    CamAlarmName n{};
    if (input)
        read_alarm_chnIn_event_name(KZDB_PATH, &n, chn, index);
    else
        read_alarm_chnOut_event_name(KZDB_PATH, &n, chn, index);
    return std::string(field_text(n.name, sizeof n.name));
}

// The reply wrapper of /6024 and /6028: {chnid, alarmCnt, alarm}.
Answer alarm_reply(int chn, json_object *list) {
    JsonOut out;
    out.add("chnid", chn).add("alarmCnt", static_cast<int>(json_len(list))).add("alarm", list);
    return Answer::json(out);
}

Answer render_inputs(int chn, const ReplyView &r) {
    const size_t n = std::min(r.count<CamAlarmInState>(), size_t{KZDB_CAM_ALARM_INS});
    if (n == 0) return Answer::error(CGI_JSON);
    json_object *list = json_object_new_array();
    for (size_t i = 0; i < n; i++) {
        CamAlarmInState s{};
        r.get(i, s);
        const int in = static_cast<int>(i);  // element i is input i; its own id is not trusted
        JsonOut o;
        o.add("alarmEnable", s.alarm_enable).add("alarmType", s.alarm_type);
        o.add("alarmStatus", s.alarm_status).add("alarmName", stored_name(true, chn, in).c_str());
        CamAlarmInEvent ev;
        cam_alarm_in_kind(in).read(chn, &ev);
        event_kind_render_into(cam_alarm_in_kind(in), chn, &ev, kInputKeys, o.get());
        json_object_array_add(list, o.release());
    }
    return alarm_reply(chn, list);
}

Answer render_outputs(int chn, const ReplyView &r) {
    const size_t n = std::min(r.count<CamAlarmOutState>(), size_t{KZDB_CAM_ALARM_OUTS});
    if (n == 0) return Answer::error(CGI_JSON);
    json_object *list = json_object_new_array();
    for (size_t i = 0; i < n; i++) {
        CamAlarmOutState s{};
        r.get(i, s);
        const int out = static_cast<int>(i);
        JsonOut o;
        o.add("alarmType", s.alarm_type).add("alarmStatus", s.alarm_status);
        o.add("alarmName", stored_name(false, chn, out).c_str()).add("delayTime", s.delay_time);
        o.add("effective", get_stored_schedule_json_object(out_schedule_kind(out), chn));
        json_object_array_add(list, o.release());
    }
    return alarm_reply(chn, list);
}

// An element's id: its "alarmId" when present and in range, else its index.
int element_id(json_object *e, size_t index, Limit ids) {
    return json_int_in(e, "alarmId", ids).value_or(static_cast<int>(index));
}

// Saves the "dialog" action blocks of camera inputs and copies each to the mask.
void save_input_dialogs(json_object *req, int chn, uint64_t mask) {
    json_object *dialog = json_get_array(req, "dialog");
    for (size_t i = 0; i < json_len(dialog) && i < KZDB_CAM_ALARM_INS; i++) {
        json_object *e = json_at(dialog, i);
        auto in = json_int_in(e, "alarmId", kCamAlarmInIds);
        if (!in) continue;
        const EventKind &k = cam_alarm_in_kind(*in);
        CamAlarmInEvent ev;
        event_kind_save(k, e, chn, &ev, {.http = true, .ptz = true});
        if (mask) event_kind_copy(k, chn, &ev, mask);
    }
}

// Saves the "dialog" effective schedules of camera outputs and copies each to the mask.
void save_output_dialogs(json_object *req, int chn, uint64_t mask) {
    json_object *dialog = json_get_array(req, "dialog");
    for (size_t i = 0; i < json_len(dialog) && i < KZDB_CAM_ALARM_OUTS; i++) {
        json_object *e = json_at(dialog, i);
        auto out = json_int_in(e, "alarmId", kCamAlarmOutIds);
        ScheduleRecord s;
        if (!out || get_schedule_by_json(e, "effective", &s) != 0) continue;
        write_alarm_chnOut_effective_schedule(KZDB_PATH, &s, chn, *out);
        const SetWords w = set_words(mask);
        if (mask) copy_alarm_chnOut_effective_schedules(KZDB_PATH, &s, *out, w.low, w.high);
    }
}

// The common checks of /6025 and /6029: the channel, "alarmCnt", and the copy mask (the
// edited channel left out).
std::optional<int> edited_channel(json_object *req, uint64_t *mask) {
    auto chn = json_channel(req, "chnid");
    if (!chn || !json_int(req, "alarmCnt")) return std::nullopt;
    *mask = get_copy_flag_by_json(req, "copyChn", "copyCnt") & ~(uint64_t{1} << *chn);
    return chn;
}

// What differs between the camera input and output saves.
template <class Set>
struct CamAlarmForm {
    int max;  // elements taken from "dialog" and "alarm"
    Limit ids;
    int set_type;      // message per "alarm" element, to the camera
    int changed_type;  // the closing notice with the channel set
    void (*save_dialogs)(json_object *req, int chn, uint64_t mask);
    void (*fill)(json_object *element, Set &s);
    int (*write_name)(const char *db, const CamAlarmName *rec);
};

// /6025 and /6029: the action blocks (copied to the mask), then each "alarm" element to the
// camera with its name kept in the store, then the notice with the edited and copied channels.
template <class Set>
Answer save_camera_alarms(Request &rq, const CamAlarmForm<Set> &form) {
    json_object *req = rq.json();
    uint64_t mask = 0;
    auto chn = edited_channel(req, &mask);
    if (!chn) return Answer::error(CGI_JSON);
    kzdb::Batch batch(KZDB_PATH);
    form.save_dialogs(req, *chn, mask);
    std::vector<Set> sets;
    json_object *alarm = json_get_array(req, "alarm");
    for (size_t i = 0; i < json_len(alarm) && i < static_cast<size_t>(form.max); i++) {
        json_object *e = json_at(alarm, i);
        Set s{};
        s.channel = *chn;
        s.id = element_id(e, i, form.ids);
        form.fill(e, s);
        copy_text(s.alarm_name, json_string(e, "alarmName"));
        CamAlarmName n{cam_alarm_key(*chn, s.id), {}};
        copy_text(n.name, json_string(e, "alarmName"));
        form.write_name(KZDB_PATH, &n);
        sets.push_back(s);
    }
    Tell t;
    for (const Set &s : sets)
        t = Tell(std::move(t).notice(form.set_type, s));
    Tell all = std::move(t).notice(form.changed_type, set_words(mask | uint64_t{1} << *chn));
    return store_then_tell(batch.commit(), all, Answer::text("OK"), Answer::error(CGI_JSON));
}

}  // namespace

const EventKind &cam_alarm_in_kind(int input) {
    return *kCamInKinds[input < 0 || input >= KZDB_CAM_ALARM_INS ? 0 : input];
}

Answer on_get_camera_alarm_input(Request &rq) {
    auto chn = json_channel(rq.json(), "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    CamAlarmInState q{};
    q.channel = *chn;
    q.count = KZDB_CAM_ALARM_INS;
    return cgi_query(
        MSG_CAM_ALARM_INS_GET, q, [&](const ReplyView &r) { return render_inputs(*chn, r); },
        Answer::error(CGI_JSON));
}

Answer on_get_camera_alarm_output(Request &rq) {
    auto chn = json_channel(rq.json(), "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    return cgi_query(
        MSG_CAM_ALARM_OUTS_GET, int32_t{*chn},
        [&](const ReplyView &r) { return render_outputs(*chn, r); }, Answer::error(CGI_JSON));
}

Answer on_set_camera_alarm_input(Request &rq) {
    auto fill = [](json_object *e, CamAlarmInSet &s) {
        s.alarm_enable = json_int_or(e, "alarmEnable", 0);
        s.alarm_type = json_int_or(e, "alarmType", 0);
    };
    return save_camera_alarms<CamAlarmInSet>(
        rq, {KZDB_CAM_ALARM_INS, kCamAlarmInIds, MSG_CAM_ALARM_IN_SET, MSG_CAM_ALARM_INS_CHANGED,
             save_input_dialogs, fill, write_alarm_chnIn_event_name});
}

Answer on_set_camera_alarm_output(Request &rq) {
    auto fill = [](json_object *e, CamAlarmOutSet &s) {
        s.alarm_type = json_int_or(e, "alarmType", 0);
        s.delay_time = json_int_or(e, "delayTime", 0);
    };
    return save_camera_alarms<CamAlarmOutSet>(
        rq, {KZDB_CAM_ALARM_OUTS, kCamAlarmOutIds, MSG_CAM_ALARM_OUT_SET,
             MSG_CAM_ALARM_OUTS_CHANGED, save_output_dialogs, fill, write_alarm_chnOut_event_name});
}
