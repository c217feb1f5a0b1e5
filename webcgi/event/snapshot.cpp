// Timed snapshots: each channel's schedule and parameters, applied to lists of channels,
// and the start and stop of snapshotting.
#include <memory>
#include <vector>

#include "event_kind.h"
#include "kzdb_records_snapshot.h"
#include "osd.h"
#include "snapshot_msgs.h"

namespace {

constexpr Field kSnapshotFields[] = {
    FIELD(SnapshotParams, resolution, "resolution"),
    FIELD(SnapshotParams, quality, "quality"),
    FIELD(SnapshotParams, interval, "interval"),
    FIELD(SnapshotParams, interval_unit, "interval_unit"),
    FIELD(SnapshotParams, expiration_date, "expiration_date"),
};

// The request text as a channel: nullopt when it is not a number; a number outside 0..63
// is answered from a cleared record without asking the store.
std::optional<int> text_channel(const Request &rq) {
    return text_id(rq.text, kAnyInt);
}
bool stored_channel(int chn) {
    return chn >= 0 && chn < 64;
}

SnapshotChannelList channel_list(const BatchList &b) {
    SnapshotChannelList out{};
    for (int n : b.list)
        if (out.count < 64) out.channel[out.count++] = n;
    return out;
}

SnapshotStartStop start_stop(int action, const BatchList &b) {
    SnapshotStartStop out{};
    out.action = action;
    for (int n : b.list)
        out.flag[n] = 1;
    return out;
}

}  // namespace

Answer on_get_snapshot_schedule(Request &rq) {
    auto chn = text_channel(rq);
    if (!chn) return Answer::error(CGI_TEXT);
    auto slot = std::make_unique<SnapshotScheduleSlot>();
    if (stored_channel(*chn)) read_snapshot_schedule(KZDB_PATH, slot.get(), *chn);
    return Answer::json(JsonPtr(get_schedule_json_object(&slot->schedule)).get());
}

Answer on_get_snapshot_setting_params(Request &rq) {
    auto chn = text_channel(rq);
    if (!chn) return Answer::error(CGI_TEXT);
    SnapshotParams rec{};
    if (stored_channel(*chn)) read_snapshot(KZDB_PATH, &rec, *chn);
    return Answer::json(fields_render(kSnapshotFields, rec).get());
}

Answer on_set_snapshot_schedule(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::error(CGI_TEXT);
    std::vector<SnapshotScheduleSlot> slots(64);
    auto decoded = std::make_unique<SnapshotScheduleSlot>();
    const bool have = get_schedule_by_json(req, "schedule", &decoded->schedule) == 0;
    const SnapshotChannelList list = channel_list(get_batch_list_by_json(req, "cnt", "chnid"));
    int rc = 0;
    if (have) {
        for (int i = 0; i < list.count; i++)
            slots[static_cast<size_t>(list.channel[i])] = *decoded;
        rc = write_snapshot_schedules(KZDB_PATH, slots.data(), list.channel, list.count);
    }
    return store_then_tell(rc, Tell().notice(MSG_SNAPSHOT_SCHEDULE_CHANGED, list),
                           Answer::text("OK"));
}

Answer on_set_snapshot_setting_params(Request &rq) {
    json_object *req = rq.json();
    SnapshotParams rec{};
    if (!req || !fields_apply(kSnapshotFields, req, rec)) return Answer::error(CGI_TEXT);
    const BatchList chans = get_batch_list_by_json(req, "cnt", "chnid");
    const SetWords w = set_words(chans.set);
    return store_then_tell(copy_snapshots(KZDB_PATH, &rec, w.low, w.high),
                           Tell().notice(MSG_SNAPSHOT_PARAMS_CHANGED, channel_list(chans)),
                           Answer::text("OK"));
}

Answer on_set_snapshot_batch_setting(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::error(CGI_TEXT);
    if (json_int_or(req, "snapshotCnt", 0) > 0)
        cgi_notify(MSG_SNAPSHOT_START_STOP,
                   start_stop(1, get_batch_list_by_json(req, "snapshotCnt", "snapshotChnId")));
    if (json_int_or(req, "stopCnt", 0) > 0)
        cgi_notify(MSG_SNAPSHOT_START_STOP,
                   start_stop(0, get_batch_list_by_json(req, "stopCnt", "stopChnId")));
    return Answer::text("OK");
}
