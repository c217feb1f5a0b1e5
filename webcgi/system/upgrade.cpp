// Firmware upgrades: the recorder image uploaded to (or downloaded into)
// "/dev/shm/updateFM.bin", camera images in "/dev/shm/updateIPCFM.bin", and
// the online upgrade service. The core daemon installs; this side only tells
// it and reports what it answered.
#include "upgrade.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "devroot.h"
#include "log_msgs.h"
#include "network/net_common.h"
#include "restart.h"
#include "text.h"
#include "upgrade_msgs.h"

namespace {

constexpr Limit kImageKinds{0, 1};  // 0 recorder, 1 camera

constexpr Field kOfferFields[] = {
    FIELD(UpgradeOffer, state, "state"),
    FIELD(UpgradeOffer, file_size, "fileSize"),
    FIELD(UpgradeOffer, softversion, "softversion"),
    FIELD(UpgradeOffer, url, "url"),
    FIELD(UpgradeOffer, description, "description"),
};

bool image_exists(const char *device_path) {
    return access(nvr::dev_path(device_path).c_str(), F_OK) == 0;
}

// Recorder install (1713): only result 0 is success; it answers `ok` and
// restarts after the answer. Another result answers `failed(result)`.
Answer install_recorder(int32_t reset, Answer ok, Answer (*failed)(int), Answer no_reply) {
    cgi_log_operation(LOG_SUB_UPGRADE, LOG_PARAM_NONE, 0);
    return cgi_query(
        MSG_UPGRADE_RECORDER, reset,
        [&](const ReplyView &r) {
            std::optional<int32_t> result = reply_int(r);
            if (!result) return no_reply;
            if (*result != 0) return failed(*result);
            return answer_then_restart(std::move(ok));
        },
        no_reply);
}

// Waited one-int exchange answered as {"res": n}; "CGI ERROR" without a reply.
Answer query_res(int type, const void *payload, size_t size) {
    return query_int(type, payload, size, IntReply::Res, Answer::error(CGI_TEXT));
}

Answer res_answer(int n) {
    return render_int(IntReply::Res, n);
}

json_object *offer_json(const UpgradeOffer &offer) {
    return fields_render(kOfferFields, offer).release();
}

}  // namespace

int upgrade_reset_flag(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && blank(text[i]))
            ++i;
    };
    auto word = [&] {
        size_t from = i;
        while (i < text.size() && !blank(text[i]))
            ++i;
        return text.substr(from, i - from);
    };
    skip();
    if (word().empty()) return 0;
    skip();
    if (i >= text.size() || text[i] != '&') return 0;
    ++i;
    skip();
    return word().find("reset") != std::string_view::npos ? 1 : 0;
}

uint64_t upgrade_channel_mask(std::string_view ch) {
    uint64_t mask = 0;
    for (size_t i = 0; i < ch.size() && i < 64; ++i) {
        if (ch[i] == '1')
            mask |= uint64_t{1} << i;
        else if (ch[i] != '0')
            break;
    }
    return mask;
}

Answer on_upgrade_system(Request &rq) {
    if (!*rq.text) return Answer::error(CGI_TEXT);
    const int32_t reset = upgrade_reset_flag(rq.text);
    return install_recorder(
        reset, Answer::text("OK"), [](int r) { return Answer::text(std::to_string(r)); },
        Answer::text("0"));
}

Answer on_clean_upgrade_files(Request &) {
    return Answer::text(image_exists(kRecorderImagePath) ? "Error" : "OK");
}

Answer on_cgi_upgrade_system_init(Request &) {
    cgi_notify(MSG_UPGRADE_PREPARE, nullptr, 0);
    // The core daemon gets half a second to prepare; it sends nothing back.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return res_answer(0);
}

Answer on_upgrade_camera(Request &) {
    return Answer::text(image_exists(kCameraImagePath) ? "OK" : "Error");
}

Answer on_start_upgrade_camera(Request &rq) {
    std::optional<int> chn = json_channel(rq.json(), "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    CameraUpgradeRequest req{};
    req.channel = *chn;
    req.reset = json_int_or(rq.json(), "reset", 0);
    copy_text(req.path, kCameraImagePath);
    return cgi_query(
        MSG_CAMERA_UPGRADE, req,
        [](const ReplyView &r) {
            CameraUpgradeStatus st{};
            if (!r.get(0, st)) return Answer::error(CGI_TEXT);
            JsonOut out;
            out.add("chnid", st.channel).add("status", st.status);
            return Answer::json(out);
        },
        Answer::error(CGI_TEXT));
}

Answer on_stop_upgrade_camera(Request &) {
    unlink(nvr::dev_path(kCameraImagePath).c_str());
    cgi_notify(MSG_CAMERA_UPGRADE_STOP, nullptr, 0);
    return Answer::text("OK");
}

Answer on_get_online_upgrade(Request &rq) {
    json_object *req = rq.json();
    std::optional<int> type = json_int_in(req, "type", kImageKinds);
    std::optional<std::string> url =
        json_get(req, "url") ? std::optional(json_string(req, "url")) : std::nullopt;
    if (!type || !url) return Answer::error(CGI_JSON);
    OnlineDownloadRequest dl{};
    copy_text(dl.url, *url);
    copy_text(dl.target, *type == 0 ? kRecorderImagePath : kCameraImagePath);
    cgi_notify(MSG_UPGRADE_PREPARE, nullptr, 0);
    return query_res(MSG_UPGRADE_DOWNLOAD, &dl, sizeof dl);
}

Answer on_del_online_upgrade(Request &rq) {
    std::optional<int> type = json_int_in(rq.json(), "type", kImageKinds);
    if (!type) return Answer::error(CGI_JSON);
    if (*type == 1) return query_res(MSG_UPGRADE_DISCARD, nullptr, 0);
    unlink(nvr::dev_path(kRecorderImagePath).c_str());
    return res_answer(0);
}

Answer on_check_nvr_online_upgrade(Request &) {
    return cgi_query(
        MSG_UPGRADE_CHECK, nullptr, 0,
        [](const ReplyView &r) {
            UpgradeOffer offer{};
            if (!r.get(0, offer)) return Answer::error(CGI_TEXT);
            return Answer::json(JsonPtr(offer_json(offer)).get());
        },
        Answer::error(CGI_TEXT));
}

Answer on_nvr_online_upgrade(Request &) {
    cgi_notify(MSG_UPGRADE_PREPARE, nullptr, 0);
    return install_recorder(0, res_answer(0), res_answer, Answer::error(CGI_TEXT));
}

Answer on_check_ipc_online_upgrade(Request &rq) {
    if (!rq.json()) return Answer::error(CGI_JSON);
    const uint64_t mask = upgrade_channel_mask(json_string(rq.json(), "ch"));
    return cgi_query(
        MSG_CAMERA_UPGRADE_CHECK, mask,
        [](const ReplyView &r) {
            if (r.count<UpgradeOffer>() == 0) return Answer::error(CGI_TEXT);
            json_object *check = json_object_new_array();
            for (int i = 0; i < kUpgradeOfferChannels; ++i) {
                UpgradeOffer offer{};  // channels the reply does not hold stay zero
                r.get(i, offer);
                json_object_array_add(check, offer_json(offer));
            }
            JsonOut out;
            out.add("check", check);
            return Answer::json(out);
        },
        Answer::error(CGI_TEXT));
}
