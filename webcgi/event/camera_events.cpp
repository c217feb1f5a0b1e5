// Camera alarm-input and sound-detection events: parameters held by the core daemon,
// trigger settings in the store.
#include <initializer_list>

#include "text.h"
#include "vloss.h"

namespace {

constexpr Limit kNotNegative{0, INT32_MAX};

constexpr Field kCameraIoFields[] = {
    FIELD(CameraIoReply, params.channel, "camId", kChannelIds),
    FIELD(CameraIoReply, params.enable, "enable", Limit{0, 1}),
    FIELD(CameraIoReply, params.type, "type", kNotNegative),
    FIELD(CameraIoReply, trigger.tri_actions, "triActions"),
    FIELD(CameraIoReply, trigger.tri_channels, "triChannels"),
};

constexpr Field kSoundFields[] = {
    FIELD(SoundDetectReply, params.channel, "camId", kChannelIds),
    FIELD(SoundDetectReply, params.enable, "enable", Limit{0, 1}),
    FIELD(SoundDetectReply, params.type, "type", kNotNegative),
    FIELD(SoundDetectReply, params.volume, "volume", kNotNegative),
    FIELD(SoundDetectReply, params.duration, "duration", kNotNegative),
    FIELD(SoundDetectReply, params.on_event, "onEvent", kNotNegative),
    FIELD(SoundDetectReply, params.off_event, "offEvent", kNotNegative),
    FIELD(SoundDetectReply, params.ongoing_event, "ongoingEvent", kNotNegative),
    FIELD(SoundDetectReply, trigger.tri_actions, "triActions"),
    FIELD(SoundDetectReply, trigger.tri_channels, "triChannels"),
};

// A get: the channel to the core, the first reply record rendered by `fields`.
template <class Reply>
Answer query_event(Request &rq, int type, std::span<const Field> fields) {
    auto chn = text_id(rq.text, kChannelIds);
    if (!chn) return Answer::none();
    return cgi_query(
        type, int32_t{*chn},
        [&](const ReplyView &r) {
            Reply rec{};
            if (!r.get(0, rec)) return Answer::error(CGI_JSON);
            return Answer::json(fields_render(fields, rec).get());
        },
        Answer::error(CGI_JSON));
}

// A set: every key of `fields` present and in range, else no reply.
template <class Reply>
std::optional<Reply> parse_event(Request &rq, std::span<const Field> fields) {
    json_object *req = rq.json();
    for (const Field &f : fields)
        if (!json_get(req, f.key)) return std::nullopt;
    Reply rec{};
    if (!fields_apply(fields, req, rec)) return std::nullopt;
    return rec;
}

// The store record of a set's trigger settings.
CameraIoEvent trigger_record(int chn, int enable, const EventTriggerBlock &t) {
    CameraIoEvent rec{};
    rec.chnid = chn;
    rec.enable = enable;
    rec.tri_actions = t.tri_actions;
    copy_text(rec.tri_channels, field_text(t.tri_channels, sizeof t.tri_channels));
    rec.tri_channels_bits = get_channel_mask_bits(rec.tri_channels, sizeof rec.tri_channels);
    return rec;
}

}  // namespace

Answer on_get_cameraio_info(Request &rq) {
    return query_event<CameraIoReply>(rq, MSG_CAMERA_IO_GET, kCameraIoFields);
}

Answer on_get_volumedetect_info(Request &rq) {
    return query_event<SoundDetectReply>(rq, MSG_SOUND_DETECT_GET, kSoundFields);
}

Answer on_set_cameraio_info(Request &rq) {
    auto in = parse_event<CameraIoReply>(rq, kCameraIoFields);
    if (!in) return Answer::none();
    const int chn = in->params.channel;
    const CameraIoEvent rec = trigger_record(chn, in->params.enable, in->trigger);
    return store_then_tell(write_cameraio(KZDB_PATH, &rec),
                           Tell()
                               .notice(MSG_CAMERA_IO_SET, in->params)
                               .log(LOG_SUB_SET_PARAM, LOG_PARAM_CAMERA_IO, chn + 1),
                           Answer::text("OK"));
}

Answer on_set_volumedetect_info(Request &rq) {
    auto in = parse_event<SoundDetectReply>(rq, kSoundFields);
    if (!in) return Answer::none();
    const int chn = in->params.channel;
    const CameraIoEvent rec = trigger_record(chn, in->params.enable, in->trigger);
    return store_then_tell(write_volumedetect(KZDB_PATH, &rec),
                           Tell()
                               .notice(MSG_SOUND_DETECT_SET, in->params)
                               .log(LOG_SUB_SET_PARAM, LOG_PARAM_SOUND_DETECT, chn + 1),
                           Answer::text("OK"));
}
