// Custom alarm audio files: the core keeps up to 10; uploads arrive in "/tmp"
// under the URL-safe Base64 of their name, which the core then takes.
#include <unistd.h>

#include <cstdio>

#include "base64.h"
#include "devroot.h"
#include "extras.h"
#include "extras_msgs.h"
#include "records.h"
#include "request.h"
#include "text.h"
#include "tmp_files.h"

namespace {

inline constexpr Limit kAudioIds{0, kAudioFileMax - 1};
constexpr int kAudioIdMask = (1 << kAudioFileMax) - 1;
constexpr size_t kEncodedNameMax = kAudioNameSize - 1;

Answer json_error() {
    return Answer::error(CGI_JSON);
}

// The encoded name of `name` when it fits its 128-byte field and may name a
// file of ours in "/tmp"; "" otherwise.
std::string audio_file_name(std::string_view name) {
    std::string enc = base64EncodeUrl(name);
    return enc.size() <= kEncodedNameMax && tmp_name_ok(enc) ? enc : "";
}

// {"status": n}; a change the core accepted (n >= 0) is logged.
Render status_and_log(bool log) {
    return [log](const ReplyView &r) {
        int32_t status = 0;
        if (log && r.read(0, status) && status >= 0)
            cgi_log_operation(LOG_SUB_AUDIO_FILE, LOG_PARAM_AUDIO_FILE, 0);
        return on_cgi_common_json_cb(r);
    };
}

Answer render_audio_list(const ReplyView &r) {
    JsonPtr list(json_object_new_array());
    const size_t n = std::min<size_t>(r.count<AlarmAudioFileRecord>(), kAudioFileMax);
    for (size_t i = 0; i < n; i++) {
        AlarmAudioFileRecord rec{};
        if (!r.get(i, rec) || rec.in_use != 1) continue;
        JsonOut item;
        item.add("id", rec.id).add("enable", rec.in_use);
        if (auto name = base64DecodeUrl(field_text(rec.name, sizeof rec.name)))
            item.add("name", name->substr(0, kEncodedNameMax).c_str());
        json_object_array_add(list.get(), item.release());
    }
    JsonOut out;
    out.add("audioFileList", list.release()).add("status", 0);
    return Answer::json(out);
}

int move_tmp_file(std::string_view from, std::string_view to) {
    std::string a = nvr::dev_path("/tmp/" + std::string(from));
    std::string b = nvr::dev_path("/tmp/" + std::string(to));
    return rename(a.c_str(), b.c_str());
}

}  // namespace

Answer on_get_audio_files(Request &) {
    return cgi_query(MSG_AUDIO_LIST, nullptr, 0, render_audio_list, json_error());
}

Answer on_upload_audio_file(Request &rq) {
    // Only the file this request's upload placed; any other text is no upload.
    if (!cgi_request_is_upload(rq.text)) return on_cgi_common_text_cb(-1, "");
    const std::string path = cgi_uploaded_path();
    const std::string host = nvr::dev_path(path);
    if (access(host.c_str(), R_OK) != 0) return on_cgi_common_text_cb(-1, "");
    if (path.find(".wav") == std::string::npos && path.find(".WAV") == std::string::npos) {
        unlink(host.c_str());
        return on_cgi_common_text_cb(-1, "");
    }
    std::string base = path.substr(path.rfind('/') + 1);
    std::string enc = audio_file_name(base);
    if (enc.empty() || move_tmp_file(base, enc) != 0) {
        unlink(host.c_str());
        return on_cgi_common_text_cb(-1, enc.c_str());
    }
    cgi_upload_keep();
    return on_cgi_common_text_cb(0, enc.c_str());
}

Answer on_add_audio_file(Request &rq) {
    json_object *req = rq.json();
    auto upload = json_text_of(req, "uploadName");
    auto name = json_text_of(req, "name");
    if (!upload || !name || !tmp_plain_file(*upload)) return json_error();
    AudioFileName msg{};
    std::string enc = audio_file_name(*name);
    if (enc.empty() || move_tmp_file(*upload, enc) != 0) return json_error();
    copy_text(msg.name, enc);
    return cgi_query(MSG_AUDIO_ADD, msg, status_and_log(true), json_error());
}

Answer on_del_audio_files(Request &rq) {
    auto mask = json_int(rq.json(), "idMask");
    if (!mask || (*mask & kAudioIdMask) == 0) return json_error();
    int32_t m = *mask;
    return cgi_query(MSG_AUDIO_DELETE, m, status_and_log(true), json_error());
}

Answer on_rename_audio_file(Request &rq) {
    json_object *req = rq.json();
    auto id = json_int_in(req, "id", kAudioIds);
    auto name = json_text_of(req, "name");
    if (!id || !name) return json_error();
    std::string enc = base64EncodeUrl(*name);
    if (enc.size() > kEncodedNameMax) return json_error();
    AlarmAudioFileRecord rec{*id, 1, {}};
    copy_text(rec.name, enc);
    return cgi_query(MSG_AUDIO_RENAME, rec, status_and_log(true), json_error());
}

Answer on_play_audio_file(Request &rq) {
    auto id = json_int_in(rq.json(), "id", kAudioIds);
    if (!id) return json_error();
    int32_t v = *id;
    return cgi_query(MSG_AUDIO_PLAY, v, status_and_log(false), json_error());
}
