#include "device.h"

#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "netsim.h"
#include "records.h"
#include "shell.h"
#include "text.h"

namespace {
void read_mac(const char *ifname, char *out, const char *fallback) {
    std::snprintf(out, 18, "%s", fallback);
    if (netsim::active()) {
        // The simulated interface's "mac=" line; the fallback when it has none.
        unsigned m[6];
        auto text = netsim::get(ifname, "mac");
        if (text && std::sscanf(text->c_str(), "%2x:%2x:%2x:%2x:%2x:%2x", &m[0], &m[1], &m[2],
                                &m[3], &m[4], &m[5]) == 6)
            std::snprintf(out, 18, "%02X:%02X:%02X:%02X:%02X:%02X", m[0] & 255u, m[1] & 255u,
                          m[2] & 255u, m[3] & 255u, m[4] & 255u, m[5] & 255u);
        return;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    struct ifreq ifr {};
    copy_text(ifr.ifr_name, ifname);
    if (ioctl(fd, SIOCGIFHWADDR, &ifr) == 0) {
        const auto *m = reinterpret_cast<const unsigned char *>(ifr.ifr_hwaddr.sa_data);
        std::snprintf(out, 18, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
    }
    close(fd);
}
}  // namespace

int get_mac_addr(char *eth0, char *eth1) {
    if (eth0) read_mac("eth0", eth0, "02:00:00:0A:19:C8");
    if (eth1) read_mac("eth1", eth1, "02:00:00:0A:19:C9");
    return 0;
}

int get_chip_info(char *buf, size_t size) {
    if (!buf || size == 0) return -1;
    // Read through a pipe: a fixed file in /tmp could be redirected by a link.
    const char *argv[] = {"kzchip_update", "-r", "32", nullptr};
    std::string out;
    run_argv_output(argv, out);
    size_t pos = 0;
    while (pos < out.size()) {
        size_t end = out.find('\n', pos);
        if (end == std::string::npos) end = out.size();
        // Lines are read 127 characters at a time, as the tool's reader always did.
        for (size_t p = pos; p < end; p += 127) {
            std::string_view line(out.data() + p, std::min<size_t>(127, end - p));
            if (line.find("Read old:") == std::string_view::npos) continue;
            std::string_view rest = line.size() > 9 ? line.substr(9) : std::string_view{};
            while (!rest.empty() && rest.back() == '\r')
                rest.remove_suffix(1);
            copy_text(buf, size, rest);
            return 0;
        }
        pos = end + 1;
    }
    return -1;
}

int on_cgi_is_kz_lpr(int aitype) {
    return (aitype >= 11 && aitype <= 14) ? 1 : 0;
}

int get_audio_file_id_mask() {
    AlarmAudioFileRecord recs[MAX_ALARM_AUDIO_FILES]{};
    int count = 0;
    read_alarm_audio_files(KZDB_PATH, recs, &count);
    int mask = 0;
    for (int i = 0; i < count; ++i)
        if (recs[i].id >= 0 && recs[i].id < MAX_ALARM_AUDIO_FILES && recs[i].in_use == 1)
            mask |= 1 << recs[i].id;
    return mask;
}
