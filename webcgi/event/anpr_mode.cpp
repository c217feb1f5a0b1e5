// List-mode event settings of a channel: one event kind per mode (-1..2), each with its own
// record, schedules and linked tables.
#include "anpr.h"
#include "smart_event_fields.h"
#include "tell.h"

namespace {

EventActionFields fields_as(void *rec) {
    return smart_event_fields(*static_cast<SmartEventRecord *>(rec));
}

template <int Mode>
void read_as(int chn, void *rec) {
    *static_cast<SmartEventRecord *>(rec) = anpr_event_read(chn, Mode);
}
template <int Mode>
int write_as(const void *rec) {
    return write_anpr_event(KZDB_PATH, static_cast<const SmartEventRecord *>(rec), Mode);
}
template <int Mode>
int copy_as(const void *rec, uint64_t mask) {
    auto set_key = [](void *r, int key) { static_cast<SmartEventRecord *>(r)->channel = key; };
    return kzdb::store_to_mask(KZDB_PATH, anpr_event_kind(Mode), rec, sizeof(SmartEventRecord),
                               mask, 64, set_key);
}

// A mode's descriptor with the schedule slots it points into.
struct ModeKind {
    EventScheduleSlot slots[4];
    EventKind kind;
};

template <int Mode>
ModeKind make_kind() {
    ModeKind m{{{"effective", anpr_schedule_kind(AnprSchedule::Effective, Mode)},
                {"audible", anpr_schedule_kind(AnprSchedule::Audible, Mode)},
                {"email", anpr_schedule_kind(AnprSchedule::Mail, Mode)},
                {"ptz", anpr_schedule_kind(AnprSchedule::Ptz, Mode)}},
               {}};
    m.kind = EventKind{{},
                       get_anpr_white_schedule_name(Mode),
                       get_anpr_white_params_name(Mode),
                       get_anpr_http_schedule_name(Mode),
                       get_anpr_http_params_name(Mode),
                       anpr_ptz_type(Mode),
                       read_as<Mode>,
                       write_as<Mode>,
                       copy_as<Mode>,
                       fields_as};
    return m;
}

// "enable" is a key of the request itself, not of its action set.
void trim_enable(EventActionFields &f) {
    f.enable = nullptr;
}

constexpr KindKey kModeKeys[] = {
    {"chnid", KeySrc::Own},
    {"mode", KeySrc::Own},
    {"enable", KeySrc::Field},
    {"triAlarms", KeySrc::Field},
    {"interval", KeySrc::Field},
    {"email_interval", KeySrc::Field},
    {"email_pic_enable", KeySrc::Field},
    {"tri_channels_pic", KeySrc::Field},
    {"ptz_interval", KeySrc::Field},
    {"alarmout_interval", KeySrc::Field},
    {"white_interval", KeySrc::Field},
    {"http_notification_interval", KeySrc::Field},
    {"triChannels", KeySrc::Field},
    {"effective", KeySrc::Schedule},
    {"audible", KeySrc::Schedule},
    {"email", KeySrc::Schedule},
    {"ptz", KeySrc::Schedule},
    {"triChnAlarms", KeySrc::Field},
    {"white", KeySrc::Schedule},
    {"whiteInfo", KeySrc::WhiteInfo},
    {"httpSche", KeySrc::Schedule},
    {"httpParams", KeySrc::Http},
    {"audioId", KeySrc::Field},
    {"audioIdMask", KeySrc::AudioMask},
    {"ptzParams", KeySrc::Ptz},
};
// The general event (mode -1) reports its detection schedule only.
constexpr KindKey kGeneralKeys[] = {
    {"chnid", KeySrc::Own},
    {"mode", KeySrc::Own},
    {"effective", KeySrc::Schedule},
};

struct ModeRequest {
    int chn, mode;
};
std::optional<ModeRequest> mode_request(json_object *req) {
    auto chn = json_channel(req, "chnid");
    auto mode = json_int_in(req, "mode", kAnprModes);
    if (!chn || !mode) return std::nullopt;
    return ModeRequest{*chn, *mode};
}

}  // namespace

const EventKind &anpr_kind(int mode) {
    static ModeKind kinds[ANPR_MODES] = {make_kind<-1>(), make_kind<0>(), make_kind<1>(),
                                         make_kind<2>()};
    static const bool linked = [] {
        for (ModeKind &m : kinds)
            m.kind.schedules = m.slots;
        return true;
    }();
    (void)linked;
    const int i = mode < ANPR_MODE_FIRST || mode > ANPR_MODE_LAST ? 0 : mode - ANPR_MODE_FIRST;
    return kinds[i].kind;
}

SmartEventRecord anpr_event_read(int channel, int mode) {
    SmartEventRecord rec{};
    read_anpr_event(KZDB_PATH, &rec, channel, mode);
    rec.channel = channel;
    return rec;
}

int anpr_action_save(json_object *dialog, int channel, int mode, SmartEventRecord *rec) {
    if (!json_object_is_type(dialog, json_type_object)) {
        *rec = anpr_event_read(channel, mode);
        return 0;
    }
    return event_kind_save(anpr_kind(mode), dialog, channel, rec,
                           {.http = true, .ptz = true, .trim = trim_enable});
}

Answer on_get_anpr_mode_params(Request &rq) {
    auto m = mode_request(rq.json());
    if (!m) return Answer::error(CGI_JSON);
    SmartEventRecord rec = anpr_event_read(m->chn, m->mode);
    auto own = [&](const char *key) {
        return json_object_new_int(key[0] == 'c' ? m->chn : m->mode);
    };
    std::span<const KindKey> keys = kModeKeys;
    if (m->mode == ANPR_MODE_FIRST) keys = kGeneralKeys;
    return Answer::json(event_kind_render(anpr_kind(m->mode), m->chn, &rec, keys, own).get());
}

Answer on_set_anpr_mode_params(Request &rq) {
    json_object *req = rq.json();
    auto m = mode_request(req);
    const IntRead enable = json_read_int(req, "enable");
    if (!m || enable.got == Got::Bad) return Answer::error(CGI_JSON);
    kzdb::Batch batch(KZDB_PATH);
    SmartEventRecord rec;
    int changed = anpr_action_save(json_get(req, "dialog"), m->chn, m->mode, &rec);
    if (enable) rec.enable = enable.value, changed++;
    if (changed > 0) write_anpr_event(KZDB_PATH, &rec, m->mode);
    return store_then_tell(batch.commit(),
                           Tell().notice(MSG_ANPR_MODE_CHANGED, AnprModeNotice{m->chn, m->mode}),
                           Answer::text("OK"), Answer::error(CGI_JSON));
}
