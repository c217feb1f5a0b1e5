// Restart (/1004) and its status poll (/1005), factory restore (/1006).
#include "restart_codes.h"

#include <fcntl.h>
#include <unistd.h>

#include "devroot.h"
#include "kzdb_records_event.h"
#include "restart.h"

namespace {

inline constexpr int kMotionIntervalDefault = 20;

// The client polls during a restart: the motion record of channel 0 gets its
// intervals filled, written only when one was 0 so a poll never undoes a
// concurrent motion save.
bool motion_needs_fill(MotionRecord &m) {
    return read_motion(KZDB_PATH, &m, 0) == 0 && (m.interval == 0 || m.email_interval == 0);
}

void fill_motion_intervals() {
    MotionRecord m;
    if (!motion_needs_fill(m)) return;  // the common case: no write lock taken
    kzdb::Batch batch(KZDB_PATH);
    if (!motion_needs_fill(m)) return;
    if (m.interval == 0) m.interval = kMotionIntervalDefault;
    if (m.email_interval == 0) m.email_interval = kMotionIntervalDefault;
    if (write_motion(KZDB_PATH, &m) == 0) batch.commit();
}

bool core_running() {
    int fd = open(nvr::dev_path("/tmp/kzcore").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
}

}  // namespace

Answer on_restart_device(Request &) {
    return answer_then_restart(Answer::text("OK"));
}

Answer on_get_restart_state(Request &) {
    bool up = core_running();
    fill_motion_intervals();
    return Answer::text(up ? "OK" : "NO OK");
}

Answer on_restore_device(Request &rq) {
    json_object *req = rq.json();
    IntRead keep_ip = json_read_int(req, "keepIp"), keep_user = json_read_int(req, "keepUser");
    if (!req || keep_ip.got == Got::Bad || keep_user.got == Got::Bad) return Answer::none();
    int ip = keep_ip.value, user = keep_user.value;
    return Answer::text("OK").then([ip, user] { send_restore(ip, user); });
}
