// Camera firmware upgrade through the core: prepare, status, start, acknowledge.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "camparam_shared.h"

namespace {

// The upgrade pages mark at most 16 channels in their texts.
constexpr size_t kUpgradeMaskChars = 16;

// The channel-id list of `key` as a mask; ids outside 0..63 are no channels.
uint64_t mask_of_ids(json_object *req, const char *key) {
    json_object *ids = json_get_array(req, key);
    uint64_t mask = 0;
    for (size_t i = 0; i < json_len(ids); ++i) {
        auto id = json_as_int(json_at(ids, i));
        if (id && kChannelIds.has(*id)) mask |= uint64_t{1} << *id;
    }
    return mask;
}

}  // namespace

Answer on_set_ipc_upgrade_prepare(Request &rq) {
    json_object *req = rq.json();
    UpgradePrepare p{};
    p.mask = mask_from_text(json_string(req, "chnMask"), kUpgradeMaskChars);
    p.reset_complement = ~mask_from_text(json_string(req, "resetMask"), kUpgradeMaskChars);
    p.file_size = json_int_or(req, "fileSize", 0);
    return cgi_query(MSG_IPC_UPGRADE_PREPARE, p, render_res, Answer::error(CGI_JSON));
}

Answer on_get_ipc_upgrade_status(Request &) {
    return cgi_query(
        MSG_IPC_UPGRADE_STATUS, nullptr, 0,
        [](const ReplyView &r) {
            UpgradeStatus st;
            if (!r.get(0, st)) return Answer::error(CGI_JSON);
            char line[64];
            std::snprintf(line, sizeof line, "chnid=%lld\r\n", static_cast<long long>(st.mask));
            std::string out = line;
            for (int i = 0; i < 16; ++i) {
                if (!(st.mask >> i & 1u)) continue;
                std::snprintf(line, sizeof line, "status%d=%d\r\n", i, st.status[i]);
                out += line;
            }
            out += "chnMask=" + mask_text(st.mask, kUpgradeMaskChars) + "\r\n";
            return Answer::text(out);
        },
        Answer::error(CGI_TEXT));
}

Answer on_set_ipc_upgrade_start(Request &rq) {
    json_object *req = rq.json();
    UpgradeStart s{};
    s.mask = mask_of_ids(req, "chnAry");
    // Absent is 0; a value that is not an integer is a bad request, never 0.
    IntRead reset = json_read_int(req, "reset");
    if (reset.got == Got::Bad) return Answer::error(CGI_JSON);
    s.reset = reset.value;
    copy_text(s.url, sizeof s.url, json_string(req, "url"));
    // A device path the core daemon opens itself: no device root in front.
    copy_text(s.path, sizeof s.path, "/dev/shm/updateIPCFM.bin");
    return cgi_query(MSG_IPC_UPGRADE_START, s, render_res, Answer::error(CGI_JSON));
}

Answer on_ipc_upgrade_ack(Request &) {
    return Answer::text("CGI SUCCESS");
}
