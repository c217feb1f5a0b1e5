// PTZ settings kept in the store: serial ports, speeds and tours, and the
// fisheye tour that is only sent.
#include <algorithm>
#include <cstring>
#include <memory>
#include <span>

#include "kzdb.h"
#include "kzdb_records_camera.h"
#include "ptz_shared.h"

namespace {

constexpr int kPtzLogSubType = 206;

constexpr Field kPort[] = {
    FIELD(PtzPortRecord, cam_id, "camId", kAnyInt, kFieldRender),
    FIELD(PtzPortRecord, connect_type, "connectType", Limit{0, 1}),
    FIELD(PtzPortRecord, baud_rate, "baudRate", Limit{0, INT32_MAX}),
    FIELD(PtzPortRecord, data_bits, "dataBits", Limit{5, 8}),
    FIELD(PtzPortRecord, stop_bits, "stopBits", Limit{0, INT32_MAX}),
    FIELD(PtzPortRecord, parity_type, "parityType", Limit{0, 2}),
    FIELD(PtzPortRecord, protocol, "protocol", Limit{0, 13}),
    FIELD(PtzPortRecord, address, "address", Limit{0, INT32_MAX}),
};

constexpr Field kSpeed[] = {
    FIELD(PtzSpeedRecord, pan_speed, "pan_speed"),
    FIELD(PtzSpeedRecord, tilt_speed, "tilt_speed"),
    FIELD(PtzSpeedRecord, zoom_speed, "zoom_speed"),
    FIELD(PtzSpeedRecord, foucs_speed, "foucs_speed"),
};

constexpr Field kKeyPoint[] = {
    FIELD(PtzTourPoint, preset, "preset"),
    FIELD(PtzTourPoint, speed, "speed"),
    FIELD(PtzTourPoint, time, "time"),
};

// Records never stored read as cleared ones carrying their channel.
template <class R, int (*Read)(const char *, R *, int)>
std::unique_ptr<R> read_or_clear(int channel, int32_t R::*key) {
    auto rec = std::make_unique<R>();
    if (Read(KZDB_PATH, rec.get(), channel) != 0) *rec = R{};
    rec.get()->*key = channel;
    return rec;
}

std::unique_ptr<PtzTourRecord> read_tours(int channel) {
    return read_or_clear<PtzTourRecord, read_ptz_tour>(channel, &PtzTourRecord::channel);
}

// `chn` 0..63 and `tourid` 1..8 of a tour request; false when either fails.
bool tour_ids(json_object *req, int &chn, int &tour) {
    IntRead c = json_read_int(req, "chn", kChannelIds);
    IntRead t = json_read_int(req, "tourid", Limit{1, PTZ_TOURS});
    chn = c.value;
    tour = t.value;
    return c && t;
}

// The key points of `path` a tour request writes: min(rowsize, 48, items).
size_t tour_rows(json_object *req) {
    int rowsize = json_int_or(req, "rowsize", 0);
    size_t n = rowsize > 0 ? static_cast<size_t>(rowsize) : 0;
    return std::min({n, json_len(json_get_array(req, "path")), size_t{PTZ_TOUR_POINTS}});
}

// Key point i of `path`; false for a missing or malformed item (skipped).
bool path_point(json_object *req, size_t i, PtzTourPoint &out) {
    json_object *item = json_at(json_get_array(req, "path"), i);
    PtzTourPoint p{};
    if (!json_object_is_type(item, json_type_object) || !fields_apply(kKeyPoint, item, p))
        return false;
    out = p;
    return true;
}

Tell setting_log(Tell &&tell, int chn) {
    return std::move(tell).log(kPtzLogSubType, PTZ_LOG_SETTING, chn + 1);
}

}  // namespace

Answer on_get_ptzport_info(Request &rq) {
    auto chn = json_int_in(rq.json(), "chnid", kSerialChannels);
    if (!chn) return Answer::error(CGI_JSON);
    auto rec = read_or_clear<PtzPortRecord, read_ptz_port>(*chn, &PtzPortRecord::cam_id);
    return Answer::json(fields_render(kPort, *rec).get());
}

Answer on_set_ptzport_info(Request &rq) {
    json_object *req = rq.json();
    json_object *ids = json_get_array(req, "chnid");
    IntRead cnt = json_read_int(req, "cnt");
    PtzPortRecord rec{};
    if (!cnt || !ids || !fields_apply(kPort, req, rec)) return Answer::none();
    for (const Field &f : std::span(kPort).subspan(1))
        if (!json_get(req, f.key)) return Answer::none();
    size_t n = std::min(static_cast<size_t>(std::max(cnt.value, 0)), json_len(ids));
    for (size_t i = 0; i < n; ++i) {
        auto chn = json_as_int(json_at(ids, i));
        if (!chn || !kChannelIds.has(*chn)) continue;  // missing items are no channel 0
        rec.cam_id = *chn;
        Answer failed = store_then_tell(
            write_ptz_port(KZDB_PATH, &rec),
            setting_log(Tell().notice(MSG_PTZ_PORT_CHANGED, int32_t{*chn}), *chn), Answer::none());
        if (!failed.is_none()) return failed;
    }
    return Answer::text("OK");
}

Answer on_get_ptzsupport_info(Request &rq) {
    IntRead cam = json_read_int(rq.json(), "camId", kChannelIds);
    if (!cam) return Answer::error(CGI_TEXT);
    return cgi_query(
        MSG_PTZ_SUPPORT, int32_t{cam.value},
        [](const ReplyView &r) {
            int32_t word;
            if (!r.read(0, word)) return Answer::error(CGI_TEXT);
            return Answer::text(word != -1 ? "0" : "-1");
        },
        Answer::error(CGI_TEXT));
}

Answer on_get_ptz_speed(Request &rq) {
    auto cam = json_channel(rq.json(), "camId");
    if (!cam) return Answer::error(CGI_JSON);
    auto rec = read_or_clear<PtzSpeedRecord, read_ptz_speed>(*cam, &PtzSpeedRecord::cam_id);
    return Answer::json(fields_render(kSpeed, *rec).get());
}

Answer on_set_ptz_speed(Request &rq) {
    json_object *req = rq.json();
    auto cam = json_channel(req, "camId");
    if (!cam) return Answer::none();
    auto rec = read_or_clear<PtzSpeedRecord, read_ptz_speed>(*cam, &PtzSpeedRecord::cam_id);
    if (!fields_apply(kSpeed, req, *rec)) return Answer::none();
    return write_ptz_speed(KZDB_PATH, rec.get()) == 0 ? Answer::text("OK")
                                                      : Answer::error(CGI_TEXT);
}

Answer on_set_ptz_tour_set(Request &rq) {
    json_object *req = rq.json();
    int chn = 0, tour = 0;
    if (!tour_ids(req, chn, tour)) return Answer::none();
    auto rec = read_tours(chn);
    auto &points = rec->tour[tour - 1];
    size_t n = tour_rows(req);
    for (size_t i = 0; i < n; ++i)
        path_point(req, i, points[i]);
    PtzTourMessage msg{};
    msg.channel = chn;
    msg.tour_id = tour;
    msg.count = static_cast<int32_t>(n);
    static_assert(sizeof msg.point == sizeof points);
    std::memcpy(msg.point, points, sizeof points);
    return store_then_tell(write_ptz_tour(KZDB_PATH, rec.get()),
                           setting_log(Tell().notice(MSG_PTZ_TOUR_SET, msg), chn),
                           Answer::text("OK"));
}

Answer on_set_fish_ptz_tour_set(Request &rq) {
    json_object *req = rq.json();
    int chn = 0, tour = 0;
    if (!tour_ids(req, chn, tour)) return Answer::none();
    auto msg = std::make_unique<PtzFishTour>();
    msg->channel = chn;
    msg->stream_id = json_int_or(req, "streamId", 0);
    msg->tour_index = tour - 1;
    PtzFishTourBlock &b = msg->tour[tour - 1];
    size_t n = tour_rows(req);
    for (size_t i = 0; i < n; ++i) {
        PtzTourPoint p{};
        if (!path_point(req, i, p)) continue;
        b.preset[i] = p.preset;
        b.time[i] = p.time;
        b.speed[i] = p.speed;
    }
    cgi_notify(MSG_PTZ_FISH_TOUR, *msg);
    setting_log(Tell(), chn).send();
    return Answer::text("OK");
}

Answer on_set_ptz_tour_clear(Request &rq) {
    json_object *req = rq.json();
    int chn = 0, tour = 0;
    if (!tour_ids(req, chn, tour)) return Answer::none();
    auto rec = read_tours(chn);
    for (PtzTourPoint &p : rec->tour[tour - 1])
        p.preset = 0;
    PtzTourRequest msg{};
    msg.channel = chn;
    msg.tour_id = tour;
    msg.fisheye_type = json_int_or(req, "fisheyeType", 0);
    msg.stream_id = json_int_or(req, "streamId", 0);
    return store_then_tell(write_ptz_tour(KZDB_PATH, rec.get()),
                           setting_log(Tell().notice(MSG_PTZ_TOUR_CLEAR, msg), chn),
                           Answer::text("OK"));
}
