// Playback sessions: open, search, steer, jump and transcode.
#include <algorithm>
#include <ctime>

#include "kzdb.h"
#include "record_limits.h"
#include "stream.h"

namespace {

constexpr Field kSectionFields[] = {
    FIELD(SectionElement, start, "startTime"),
    FIELD(SectionElement, end, "endTime"),
    FIELD(SectionElement, record_type, "recordType"),
    FIELD(SectionElement, lock, "lock"),
};

// The session details around the two keys that do not come from the reply.
constexpr Field kDetailsHead[] = {
    FIELD(SessionDetails, sid, "sessionId"),
    FIELD(SessionDetails, source_path, "sourcePath"),
    FIELD(SessionDetails, port, "port"),
};
constexpr Field kDetailsTail[] = {
    FIELD(SessionDetails, external_port, "external_port"),
    FIELD(SessionDetails, external_http_port, "external_http_port"),
    FIELD(SessionDetails, ddns_port, "ddns_port"),
    FIELD(SessionDetails, ddns_http_port, "ddns_http_port"),
};

// Integer items [0, min(num, length, 64)) of an array; other items are skipped.
template <class Fn>
void for_each_int_item(json_object *req, const char *key, int num, Fn fn) {
    json_object *arr = json_get_array(req, key);
    const size_t n = std::min<size_t>(num > 0 ? static_cast<size_t>(num) : 0, REC_MAX_IDS);
    for (size_t i = 0; i < n && i < json_len(arr); i++)
        if (std::optional<int> v = json_as_int(json_at(arr, i))) fn(i, *v);
}

Answer json_status(const char *status) {
    return Answer::json(JsonOut().add("status", status));
}

bool has_text(json_object *req, const char *key) {
    return json_get(req, key) != nullptr;
}

// Sends `type` with the session block of (num, ids) and answers "OK".
Answer notify_sessions(Request &rq, int type, const char *ids_key) {
    json_object *req = rq.json();
    cgi_notify(type, build_session_block(req, json_int_or(req, "num", 0), ids_key));
    return Answer::text("OK");
}

}  // namespace

SessionBlock build_session_block(json_object *req, int num, const char *ids_key,
                                 const char *speeds_key) {
    SessionBlock b{};
    json_object *speeds = speeds_key ? json_get_array(req, speeds_key) : nullptr;
    for_each_int_item(req, ids_key, num, [&](size_t i, int sid) {
        b.speed[b.count] = json_as_int(json_at(speeds, i)).value_or(0);
        b.sid[b.count++] = sid;
    });
    return b;
}

SpeedBlock build_speed_block(json_object *req, int num, const char *ids_key, int speed) {
    SpeedBlock b{};
    b.speed = speed;
    for_each_int_item(req, ids_key, num, [&](size_t, int id) { b.ids[b.count++] = id; });
    return b;
}

Answer render_sections(const ReplyView &r) {
    const size_t n = r.count<SectionElement>();
    if (n == 0) return json_status("NO MATCHES");
    SectionElement first{}, last{};
    r.get(0, first);
    json_object *list = json_object_new_array();
    for (size_t i = 0; i < n; i++) {
        r.get(i, last);
        json_object_array_add(list, fields_render(kSectionFields, last).release());
    }
    return Answer::json(JsonOut()
                            .add("status", "OK")
                            .add("camId", last.channel)
                            .add("sectionNum", static_cast<int>(n))
                            .add("sid", first.sid)
                            .add("section", list));
}

Answer session_details(int32_t sid, const char *real_play_time) {
    std::string play = real_play_time;
    return cgi_query(
        MSG_PB_RTSP_DETAILS, sid,
        [&](const ReplyView &r) {
            SessionDetails d;
            if (!r.get(0, d)) return Answer::error(CGI_JSON);
            JsonPtr out = fields_render(kDetailsHead, d);
            json_object_object_add(out.get(), "status", json_object_new_string("OK"));
            json_object_object_add(out.get(), "realPlayTime", json_object_new_string(play.c_str()));
            fields_render_into(kDetailsTail, &d, out.get());
            return Answer::json(out.get());
        },
        Answer::error(CGI_JSON));
}

Answer on_open_playback(Request &rq) {
    json_object *req = rq.json();
    const int channels = std::clamp(get_param_int(KZDB_PATH, "max_cameras", 32), 0, 64);
    std::optional<int> chn = json_int_in(req, "channelId", Limit{0, channels - 1});
    std::optional<int> sid = json_int(req, "sid");
    std::optional<int> stream = json_int(req, "streamType");
    if (!chn || !sid || !stream || !has_text(req, "time") || !has_text(req, "endTime"))
        return Answer::none();
    if (*sid >= 0) {
        SessionBlock close{};
        close.sid[0] = *sid;
        close.count = 1;
        cgi_notify(MSG_PB_CLOSE, close);
        cgi_notify(MSG_SESSION_RELEASE, static_cast<int32_t>(*sid));
    }
    PlaybackStartRequest p{};
    for (int ch = 0; ch < channels; ch++)
        p.mask[ch] = ch == *chn ? '1' : '0';
    p.one = 1;
    p.sub_stream = *stream == 1;
    p.minus1[0] = p.minus1[1] = -1;
    copy_text(p.start, json_string(req, "time"));
    copy_text(p.end, json_string(req, "endTime"));
    return cgi_query(MSG_PB_START, p, render_sections, Answer::error(CGI_JSON));
}

Answer on_next_sections(Request &rq) {
    json_object *req = rq.json();
    SectionPageRequest p{};
    p.sid = json_int_or(req, "sid", 0);
    p.page = json_int_or(req, "page", 0);
    return cgi_query(MSG_PB_PAGE, p, render_sections, Answer::error(CGI_JSON));
}

Answer on_open_playback_at(Request &rq) {
    json_object *req = rq.json();
    std::optional<int> chn = json_int_in(req, "channelId", kPlaybackChannels);
    std::optional<int> sid = json_int(req, "sid");
    if (!chn || !sid || !has_text(req, "startTime") || !has_text(req, "endTime") ||
        !has_text(req, "playTime"))
        return Answer::none();
    OpenAtTimeRequest p{};
    p.channel = *chn;
    p.sid = *sid;
    copy_text(p.start, json_string(req, "startTime"));
    copy_text(p.end, json_string(req, "endTime"));
    copy_text(p.play, json_string(req, "playTime"));
    std::optional<std::vector<unsigned char>> reply = cgi_ask(MSG_PB_OPEN_AT, &p, sizeof p);
    if (!reply) return Answer::error(CGI_JSON);
    ReplyView r(MSG_PB_OPEN_AT + KZ_REPLY_OFFSET, *reply);
    bool failed = r.count<int32_t>() == 0;  // no whole element: as no reply
    for (size_t i = 0; i < r.count<int32_t>(); i++) {
        int32_t v = 0;
        r.get(i, v);
        failed = failed || v < 0;
    }
    if (failed) return Answer::error(CGI_JSON);
    Answer a = session_details(p.sid, p.play);
    cgi_log_operation(209, 900, *chn + 1);
    return a;
}

namespace {

// "%Y-%m-%d %H:%M:%S" in local time; nullopt when it does not parse or is before 1970.
std::optional<time_t> parse_play_time(const std::string &text) {
    struct tm tm {};
    const char *end = strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &tm);
    if (!end || *end) return std::nullopt;
    tm.tm_isdst = -1;
    time_t t = mktime(&tm);
    if (t < 0) return std::nullopt;
    return t;
}

}  // namespace

Answer on_sync_playback(Request &rq) {
    json_object *req = rq.json();
    SyncPlaybackRequest p{};
    for (int i = 0; i < 8; i++) {
        std::optional<int> m = json_int(req, ("mask" + std::to_string(i)).c_str());
        if (!m) return Answer::none();
        p.mask[i] = *m;
    }
    std::optional<std::string> play = json_text_of(req, "playTime");
    std::optional<time_t> t = play ? parse_play_time(*play) : std::nullopt;
    if (!t) return Answer::none();
    p.play_time = static_cast<int32_t>(*t);
    copy_text(p.play_text, *play);
    std::optional<std::vector<unsigned char>> reply =
        cgi_ask(MSG_PB_SYNC_START, &p, sizeof p, MSG_PB_SYNC_REPLY, MSG_PB_SYNC_REPLY_ALT);
    SyncPlaybackElement el{};
    if (!reply || !ReplyView(MSG_PB_SYNC_REPLY, *reply).get(0, el) || el.result != 0)
        return Answer::error(CGI_JSON);
    Answer a = session_details(
        el.sid, std::string(field_text(el.real_play_time, sizeof el.real_play_time)).c_str());
    cgi_log_operation(209, 900, 0);
    return a;
}

Answer on_get_play_time(Request &rq) {
    std::optional<int> sid = text_id(rq.text, kAnyInt);
    if (!sid) return Answer::none();
    return cgi_query(
        MSG_PB_PLAY_TIME, static_cast<int32_t>(*sid),
        [](const ReplyView &r) {
            int32_t secs = 0;
            if (!r.get(0, secs)) return Answer::error(CGI_JSON);
            time_t t = secs;
            struct tm tm {};
            char text[32] = "";
            if (localtime_r(&t, &tm)) strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
            return Answer::json(JsonOut().add("status", "OK").add("curPlayTime", text));
        },
        Answer::error(CGI_JSON));
}

Answer on_stop_playback(Request &rq) {
    json_object *req = rq.json();
    SessionBlock b = build_session_block(req, json_int_or(req, "num", 0), "sid");
    for (int i = 0; i < b.count; i++)
        if (b.sid[i] >= 0) cgi_notify(MSG_SESSION_RELEASE, b.sid[i]);
    cgi_notify(MSG_PB_STOP, b);
    if (json_int_or(req, "close", 0) == 1) cgi_notify(MSG_PB_CLOSE, b);
    return Answer::text("OK");
}

Answer on_pause_playback(Request &rq) {
    return notify_sessions(rq, MSG_PB_PAUSE, "sid");
}

Answer on_resume_playback(Request &rq) {
    json_object *req = rq.json();
    ResumeRequest p{json_int_or(req, "sid", 0), json_int_or(req, "direction", 0)};
    cgi_notify(MSG_PB_RESUME, p);
    return Answer::text("OK");
}

Answer on_step_foward_playback(Request &rq) {
    return notify_sessions(rq, MSG_PB_STEP, "sid");
}

Answer on_step_playback_batch(Request &rq) {
    SessionBlock b = build_session_block(rq.json(), REC_MAX_IDS, "sessionId");
    b.count = 0;  // this message carries the ids only
    cgi_notify(MSG_PB_STEP_MANY, b);
    return Answer::text("OK");
}

Answer on_fastforward_playback(Request &rq) {
    json_object *req = rq.json();
    if (!json_get(req, "chind")) return Answer::none();
    cgi_notify(MSG_PB_FAST_FORWARD,
               build_session_block(req, json_int_or(req, "num", 0), "sessionId", "speed"));
    return Answer::text("OK");
}

Answer on_slowforward_playback(Request &rq) {
    json_object *req = rq.json();
    if (!json_get(req, "chind")) return Answer::none();
    cgi_notify(MSG_PB_SLOW_FORWARD, build_speed_block(req, json_int_or(req, "num", 0), "chind",
                                                      json_int_or(req, "speed", 0)));
    return Answer::text("OK");
}

Answer on_set_speed_playback(Request &rq) {
    json_object *req = rq.json();
    SpeedBlock b =
        build_speed_block(req, json_int_or(req, "num", 0), "sid", json_int_or(req, "speed", 0));
    b.flag = b.speed == 2 && b.count == 1;
    cgi_notify(MSG_PB_SET_SPEED, b);
    return Answer::text("OK");
}

Answer on_jump_playback(Request &rq) {
    json_object *req = rq.json();
    std::optional<int> num = json_int(req, "num");
    json_object *chns = json_get_array(req, "chnid");
    json_object *sids = json_get_array(req, "sid");
    if (!num || *num < 1 || !chns || !sids || !has_text(req, "jumpTime")) return Answer::none();
    JumpRequest p{};
    for (size_t i = 0; i < static_cast<size_t>(std::min(*num, REC_MAX_IDS)); i++) {
        std::optional<int> ch = json_as_int(json_at(chns, i));
        std::optional<int> sid = json_as_int(json_at(sids, i));
        if (!ch || !sid) continue;  // a pair with a missing half is not sent
        p.channel[p.count] = *ch;
        p.sid[p.count++] = *sid;
    }
    copy_text(p.jump_time, json_string(req, "jumpTime"));
    return cgi_query(
        MSG_PB_JUMP, p,
        [](const ReplyView &r) {
            int32_t result = 0;
            if (!r.get(0, result)) return Answer::error(CGI_JSON);
            return json_status(result == 0 ? "OK" : "ERROR");
        },
        Answer::error(CGI_JSON));
}

namespace {
Answer render_transcode(int32_t ch, int32_t sid, const ReplyView &r, bool with_status) {
    int32_t state = 0;
    if (!r.get(0, state)) return Answer::error(CGI_JSON);
    JsonOut out;
    out.add("ch", ch).add("sid", sid).add("state", state);
    if (with_status) out.add("status", "OK");
    return Answer::json(out);
}
}  // namespace

Answer on_set_playback_transcode(Request &rq) {
    json_object *req = rq.json();
    TranscodeRequest p{json_int_or(req, "ch", 0),
                       json_int_or(req, "sid", 0),
                       json_int_or(req, "trancodingmode", 0),
                       json_int_or(req, "framesize", 0),
                       json_int_or(req, "bitrate", 0),
                       json_int_or(req, "framerate", 0)};
    return cgi_query(
        MSG_PB_TRANSCODE, p,
        [&](const ReplyView &r) { return render_transcode(p.ch, p.sid, r, true); },
        Answer::error(CGI_JSON));
}

Answer on_get_playback_transcode(Request &rq) {
    json_object *req = rq.json();
    TranscodeStateRequest p{json_int_or(req, "ch", 0), json_int_or(req, "sid", 0)};
    return cgi_query(
        MSG_PB_TRANSCODE_STATE, p,
        [&](const ReplyView &r) { return render_transcode(p.ch, p.sid, r, false); },
        Answer::error(CGI_JSON));
}
