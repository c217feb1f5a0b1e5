// Regional people counting of cameras that count people themselves: the camera-side
// record relayed through the core daemon, and each region's NVR-side action set as an
// event kind of its own.
#include <cstring>
#include <memory>

#include "event_kind.h"
#include "kzdb_records_regional.h"
#include "network/net_common.h"
#include "osd.h"
#include "osd_msgs.h"
#include "smart_event_fields.h"

namespace {

static_assert(sizeof(ScheduleRecord) == REGIONAL_SCHEDULE_BYTES);

constexpr unsigned char kLooseText = kFieldBoth | kFieldLooseText;

constexpr Field kRegion[] = {
    FIELD(RegionalPcntRegion, enable, "enable"),
    FIELD(RegionalPcntRegion, polygon_x, "polygonX", kAnyInt, kLooseText),
    FIELD(RegionalPcntRegion, polygon_y, "polygonY", kAnyInt, kLooseText),
    FIELD(RegionalPcntRegion, max_stay_enable, "maxStayEnable"),
    FIELD(RegionalPcntRegion, max_stay_value, "maxStayValue"),
    FIELD(RegionalPcntRegion, min_stay_enable, "minStayEnable"),
    FIELD(RegionalPcntRegion, min_stay_value, "minStayValue"),
    FIELD(RegionalPcntRegion, max_stay_time_enable, "maxStayTimeEnable"),
    FIELD(RegionalPcntRegion, max_stay_time_value, "maxStayTimeValue"),
};
constexpr Field kRegional[] = {
    FIELD(RegionalPcnt, result, "result", kAnyInt, kFieldRender),
    FIELD(RegionalPcnt, chnid, "chnid", kChannelIds),
    FIELD(RegionalPcnt, sensitivity, "sensitivity"),
    FIELD(RegionalPcnt, min_obj_x, "minObjX"),
    FIELD(RegionalPcnt, min_obj_y, "minObjY"),
    FIELD(RegionalPcnt, min_obj_width, "minObjWidth"),
    FIELD(RegionalPcnt, min_obj_height, "minObjHeight"),
    FIELD(RegionalPcnt, max_obj_x, "maxObjX"),
    FIELD(RegionalPcnt, max_obj_y, "maxObjY"),
    FIELD(RegionalPcnt, max_obj_width, "maxObjWidth"),
    FIELD(RegionalPcnt, max_obj_height, "maxObjHeight"),
    FIELD_TABLE(RegionalPcnt, regional, "regional", kRegion),
    FIELD(RegionalPcnt, copy_chn, "copyChn", kAnyInt, kFieldParse | kFieldLooseText),
};

// ---- Each region as an event kind ----

template <int R>
constexpr EventScheduleSlot kSchedules[] = {
    {"audible", regional_pcnt_schedule_kind(R, REGIONAL_SCHEDULE_AUDIBLE)},
    {"email", regional_pcnt_schedule_kind(R, REGIONAL_SCHEDULE_EMAIL)},
    {"ptz", regional_pcnt_schedule_kind(R, REGIONAL_SCHEDULE_PTZ)},
};

template <int R>
void read_as(int chn, void *rec) {
    auto *ev = static_cast<SmartEventRecord *>(rec);
    *ev = SmartEventRecord{};
    read_regional_pcnt_event(KZDB_PATH, ev, chn, R);
    ev->channel = chn;
}
template <int R>
int write_as(const void *rec) {
    return write_regional_pcnt_event(KZDB_PATH, static_cast<const SmartEventRecord *>(rec), R);
}
template <int R>
int copy_as(const void *rec, uint64_t mask) {
    const SetWords w = set_words(mask);
    return copy_regional_pcnt_event(KZDB_PATH, static_cast<const SmartEventRecord *>(rec), R, w.low,
                                    w.high);
}
// A region's enable is its own key, never an action-set field.
EventActionFields fields_as(void *rec) {
    EventActionFields f = smart_event_fields(*static_cast<SmartEventRecord *>(rec));
    f.enable = nullptr;
    return f;
}

template <int R>
constexpr EventKind region_kind() {
    return {kSchedules<R>,
            regional_pcnt_schedule_kind(R, REGIONAL_SCHEDULE_WHITE),
            REGIONAL_PCNT_WHITE_PARAMS[R],
            regional_pcnt_schedule_kind(R, REGIONAL_SCHEDULE_HTTP),
            REGIONAL_PCNT_HTTP_PARAMS[R],
            PTZ_EVENT_REGIONAL_PCNT + R,
            read_as<R>,
            write_as<R>,
            copy_as<R>,
            fields_as};
}
const EventKind kRegionKinds[REGIONAL_PCNT_REGIONS] = {region_kind<0>(), region_kind<1>(),
                                                       region_kind<2>(), region_kind<3>()};

constexpr KindKey kActionKeys[] = {
    {"audible", KeySrc::Schedule},       {"interval", KeySrc::Field},
    {"audioId", KeySrc::Field},          {"email", KeySrc::Schedule},
    {"email_interval", KeySrc::Field},   {"email_pic_enable", KeySrc::Field},
    {"tri_channels_pic", KeySrc::Field}, {"ptz", KeySrc::Schedule},
    {"ptz_interval", KeySrc::Field},     {"ptzParams", KeySrc::Ptz},
    {"white", KeySrc::Schedule},         {"whiteInfo", KeySrc::WhiteInfo},
    {"white_interval", KeySrc::Field},   {"httpSche", KeySrc::Schedule},
    {"httpParams", KeySrc::Http},        {"http_notification_interval", KeySrc::Field},
    {"triChnAlarms", KeySrc::Field},     {"alarmout_interval", KeySrc::Field},
    {"triAlarms", KeySrc::Field},        {"triChannels", KeySrc::Field},
};

// The reply's camera record with the stored action sets of its four regions.
Answer render_regional(const ReplyView &r, int chn) {
    auto rec = std::make_unique<RegionalPcnt>();
    if (!r.get(0, *rec)) return Answer::error(CGI_JSON);
    JsonPtr out = fields_render(kRegional, *rec);
    auto sched = std::make_unique<ScheduleRecord>();
    std::memcpy(sched.get(), rec->effective, sizeof *sched);
    json_object_object_add(out.get(), "effective", get_schedule_json_object_ipc(sched.get()));
    json_object *actions = json_object_new_array();
    for (const EventKind &k : kRegionKinds) {
        SmartEventRecord ev;
        k.read(chn, &ev);
        json_object_array_add(actions, event_kind_render(k, chn, &ev, kActionKeys).release());
    }
    json_object_object_add(out.get(), "action", actions);
    return Answer::json(out.get());
}

// Saves action object r for `chn` and copies the region to the masked channels.
int save_region(int r, json_object *item, int chn, uint64_t mask) {
    const EventKind &k = kRegionKinds[r];
    SmartEventRecord ev;
    if (event_kind_save(k, item, chn, &ev, {.http = true}) < 0) return -1;
    if (json_object *links = json_get_array(item, "ptzParams"))
        set_ptz_params_by_json(chn, k.ptz_type, links);
    int rc = k.write(&ev);
    if (mask) rc |= event_kind_copy(k, chn, &ev, mask);
    return rc;
}

}  // namespace

Answer on_cgi_get_ipc_regional_info(Request &rq) {
    auto chn = json_channel(rq.json(), "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    const int c = *chn;
    return cgi_query(
        MSG_REGIONAL_PCNT_GET, int32_t{c},
        [c](const ReplyView &r) { return render_regional(r, c); }, Answer::error(CGI_JSON));
}

Answer on_cgi_set_ipc_regional_info(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    auto rec = std::make_unique<RegionalPcnt>();
    if (!fields_apply(kRegional, req, *rec)) return Answer::error(CGI_JSON);
    auto sched = std::make_unique<ScheduleRecord>();
    if (get_schedule_by_json_ipc(req, "effective", sched.get()) == 0)
        std::memcpy(rec->effective, sched.get(), sizeof *sched);
    const uint64_t mask =
        get_channel_mask(rec->copy_chn, sizeof rec->copy_chn) & ~(uint64_t{1} << *chn);
    kzdb::Batch batch(KZDB_PATH);
    json_object *actions = json_get_array(req, "action");
    int rc = 0;
    for (size_t r = 0; r < json_len(actions) && r < REGIONAL_PCNT_REGIONS; r++) {
        json_object *item = json_at(actions, r);
        if (json_object_is_type(item, json_type_object))
            rc |= save_region(static_cast<int>(r), item, *chn, mask);
    }
    if (rc != 0 || batch.commit() != 0) return Answer::error(CGI_JSON);
    return query_int(MSG_REGIONAL_PCNT_SET, *rec, IntReply::Res, Answer::error(CGI_JSON));
}
