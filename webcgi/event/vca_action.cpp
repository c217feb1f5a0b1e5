// The smart-event kind and its action set: the save shared by the analytics sets, the
// schedule-form get and set (/6148, /6149), the single-field set and the common keys.
#include <array>
#include <utility>

#include "network/net_common.h"
#include "smart_event_fields.h"
#include "vca.h"

namespace {

EventActionFields fields_as(void *rec) {
    return smart_event_fields(*static_cast<SmartEventRecord *>(rec));
}

template <int I>
void read_as(int chn, void *rec) {
    vca_read(chn, I, static_cast<SmartEventRecord *>(rec));
}
template <int I>
int write_as(const void *rec) {
    return write_smart_event(KZDB_PATH, static_cast<const SmartEventRecord *>(rec), I);
}
template <int I>
int copy_as(const void *rec, uint64_t mask) {
    auto set_key = [](void *r, int key) { static_cast<SmartEventRecord *>(r)->channel = key; };
    return kzdb::store_to_mask(KZDB_PATH, kzdb::kSmartEventKinds[I], rec, sizeof(SmartEventRecord),
                               mask, 64, set_key);
}

// "effective" first: the people counter's dialog keeps its schedule elsewhere and skips it.
template <int I>
constexpr EventScheduleSlot kSlots[] = {
    {"effective", kzdb::kSmartEffectiveKinds[I]},
    {"audible", kzdb::kSmartAudibleKinds[I]},
    {"email", kzdb::kSmartMailKinds[I]},
    {"ptz", kzdb::kSmartPtzKinds[I]},
};

template <int I>
constexpr EventKind make_kind() {
    return {kSlots<I>,
            kzdb::kVcaWhiteNames[0][I],
            kzdb::kVcaWhiteNames[1][I],
            kzdb::kVcaHttpNames[0][I],
            kzdb::kVcaHttpNames[1][I],
            I + 5,
            read_as<I>,
            write_as<I>,
            copy_as<I>,
            fields_as};
}
template <size_t... I>
constexpr std::array<EventKind, sizeof...(I)> make_kinds(std::index_sequence<I...>) {
    return {make_kind<I>()...};
}
constexpr auto kKinds = make_kinds(std::make_index_sequence<KZDB_VCA_EVENTS>());

// The dialog form sets no "enable": a smart event is switched on by its parameter record.
void trim_enable(EventActionFields &f) {
    f.enable = nullptr;
}

void tell_changed(uint64_t set) {
    cgi_notify(MSG_VCA_ACTION_CHANGED, set_words(set));
}
uint64_t bit_of(int chn) {
    return uint64_t{1} << chn;
}

constexpr KindKey kScheduleKeys[] = {
    {"chnid", KeySrc::Own},
    {"event", KeySrc::Own},
    {"enable", KeySrc::Field},
    {"triAlarms", KeySrc::Field},
    {"interval", KeySrc::Field},
    {"email_interval", KeySrc::Field},
    {"email_pic_enable", KeySrc::Field},
    {"tri_channels_pic", KeySrc::Field},
    {"ptz_interval", KeySrc::Field},
    {"alarmout_interval", KeySrc::Field},
    {"triChannels", KeySrc::Field},
    {"effective", KeySrc::Schedule},
    {"audible", KeySrc::Schedule},
    {"email", KeySrc::Schedule},
    {"ptz", KeySrc::Schedule},
    {"triChnAlarms", KeySrc::Field},
    {"white", KeySrc::Schedule},
    {"whiteInfo", KeySrc::WhiteInfo},
    {"white_interval", KeySrc::Field},
    {"audioId", KeySrc::Field},
    {"audioIdMask", KeySrc::AudioMask},
    {"ptzParams", KeySrc::Ptz},
};

constexpr Field kCommonFields[] = {
    FIELD(SmartEventRecord, channel, "chnid"),
    FIELD(SmartEventRecord, enable, "enable"),
    FIELD(SmartEventRecord, tri_alarms, "triAlarms"),
    FIELD(SmartEventRecord, interval, "interval"),
    FIELD(SmartEventRecord, email_interval, "email_interval"),
    FIELD(SmartEventRecord, email_pic_enable, "email_pic_enable"),
    FIELD(SmartEventRecord, tri_channels_pic, "tri_channels_pic"),
    FIELD(SmartEventRecord, tri_channels, "triChannels"),
};

// (chn, index) of the schedule forms, keyed "chnid" / "event".
struct Target {
    int chn, index;
};
std::optional<Target> target_of(json_object *req, const char *chn_key, const char *index_key) {
    auto chn = json_channel(req, chn_key);
    auto index = json_int_in(req, index_key, kVcaEvents);
    if (!chn || !index) return std::nullopt;
    return Target{*chn, *index};
}

}  // namespace

const EventKind &vca_event_kind(int index) {
    return kKinds.at(static_cast<size_t>(index));
}

int vca_read(int chn, int index, SmartEventRecord *rec) {
    *rec = SmartEventRecord{};
    rec->channel = chn;
    return read_smart_event(KZDB_PATH, rec, chn, index);
}

uint64_t vca_copy_mask(json_object *req) {
    auto text = json_text_of(req, "copyChn");
    return text ? get_channel_mask(text->c_str(), text->size()) : 0;
}

void vca_save_dialog(json_object *req, int index, uint64_t copy_mask) {
    json_object *dialog = json_get(req, "dialog");
    auto chn = json_channel(dialog, "chnid");
    if (!kVcaEvents.has(index) || !json_object_is_type(dialog, json_type_object) || !chn) return;
    EventKind kind = vca_event_kind(index);
    if (index == 7) kind.schedules = kind.schedules.subspan(1);
    {
        kzdb::Batch batch(KZDB_PATH);
        SmartEventRecord rec;
        event_kind_save(kind, dialog, *chn, &rec, {.http = true, .ptz = true, .trim = trim_enable});
        batch.commit();
    }
    // The copy is its own transaction: a failed copy must not undo the channel's own save.
    const SetWords w = set_words(copy_mask);
    uint64_t changed = 0;
    if (copy_mask && copy_smart_event_action(index, *chn, w.low, w.high, 0) == 0)
        changed = copy_mask;
    tell_changed(changed | bit_of(*chn));
}

Answer vca_verdict(int type, const void *rec, size_t size) {
    return query_int(type, rec, size, IntReply::Verdict, Answer::error(CGI_TEXT));
}

Answer on_get_smart_event_schedule(Request &rq) {
    auto t = target_of(rq.json(), "chnid", "event");
    if (!t) return Answer::error(CGI_JSON);
    SmartEventRecord rec;
    vca_read(t->chn, t->index, &rec);
    JsonPtr action = event_kind_render(
        vca_event_kind(t->index), t->chn, &rec, kScheduleKeys, [&](const char *key) {
            return json_object_new_int(std::string_view(key) == "chnid" ? t->chn : t->index);
        });
    JsonPtr list(json_object_new_array());
    json_object_array_add(list.get(), action.release());
    JsonPtr out(json_object_new_object());
    json_object_object_add(out.get(), "action", list.release());
    return Answer::json(out.get());
}

Answer on_set_smart_event_schedule(Request &rq) {
    auto t = target_of(rq.json(), "chnid", "event");
    if (!t) return Answer::error(CGI_TEXT);
    kzdb::Batch batch(KZDB_PATH);
    SmartEventRecord rec;
    event_kind_save(vca_event_kind(t->index), rq.json(), t->chn, &rec, {});
    return store_then_tell(batch.commit(),
                           Tell().notice(MSG_VCA_ACTION_CHANGED, set_words(bit_of(t->chn))),
                           Answer::text("OK"));
}

Answer on_set_vca_allrtm_others(Request &rq) {
    json_object *req = rq.json();
    auto t = target_of(req, "channel", "event");
    SmartEventRecord rec;
    if (!t || vca_read(t->chn, t->index, &rec) != 0) return Answer::text("ERROT");
    EventActionFields f;
    const int type = json_int_or(req, "type", -1);
    if (type == 0) f.tri_alarms = &rec.tri_alarms;
    if (type == 1) f.tri_channels = rec.tri_channels, f.tri_channels_bits = &rec.tri_channels_bits;
    get_event_action_by_json(req, f);
    return store_then_tell(write_smart_event(KZDB_PATH, &rec, t->index),
                           Tell().notice(MSG_VCA_ACTION_CHANGED, set_words(bit_of(t->chn))),
                           Answer::text("OK"), Answer::text("ERROT"));
}

Answer on_get_vca_common_para(Request &rq) {
    auto t = target_of(rq.json(), "channel", "type");
    SmartEventRecord rec;
    if (!t || vca_read(t->chn, t->index, &rec) != 0) return Answer::error(CGI_JSON);
    return Answer::json(fields_render(kCommonFields, rec).get());
}
