#include "cgi_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "cgi_form.h"
#include "cgi_ipc.h"
#include "devroot.h"
#include "text.h"

namespace {
constexpr const char *kLogPath = "/mnt/nand/cgi_log.txt";
}

int cgi_log(const char *file, int line, const char *func, const char *fmt, ...) {
    char stamp[80];
    time_t now = time(nullptr);
    struct tm tm {};
    localtime_r(&now, &tm);
    snprintf(stamp, sizeof stamp, "%4d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
             tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    stamp[19] = '\0';

    char msg[2048];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(msg, sizeof msg, fmt, ap);
    va_end(ap);

    char out[2048];
    int n = snprintf(out, sizeof out, "%s  %s:%d in %s: %s\n", stamp, file ? file : "", line,
                     func ? func : "", msg);
    if (n < 0) return -1;
    size_t len = static_cast<size_t>(n) < sizeof out ? static_cast<size_t>(n) : sizeof out - 1;

    int fd = open(nvr::dev_path(kLogPath).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    ssize_t w = write(fd, out, len);
    close(fd);
    return w == static_cast<ssize_t>(len) ? 0 : -1;
}

int get_current_username(char *buf) {
    if (!buf) return -1;
    const char *p = std::strstr(cgiCookie, "userName");
    if (!p) return -1;
    p += std::strlen("userName");
    if (*p) ++p;  // the character after the name (normally '=')
    size_t n = std::strcspn(p, ";");
    if (n > 63) n = 63;
    std::memcpy(buf, p, n);
    buf[n] = '\0';
    if (char *eq = std::strchr(buf, '=')) std::memmove(buf, eq + 1, std::strlen(eq + 1) + 1);
    return 0;
}

int cgi_init_log_info(OperationLogRecord *rec) {
    if (!rec) return -1;
    std::memset(rec, 0, sizeof *rec);
    rec->main_type = 4;
    rec->remote = 1;
    get_current_username(rec->user_name);
    copy_text(rec->client_addr, cgiRemoteAddr);
    return 0;
}

int cgi_send_log(OperationLogRecord *rec, int64_t sub_type, int32_t param_type, int32_t channel) {
    if (!rec) return -1;
    rec->main_type = 4;
    rec->sub_type = sub_type;
    rec->param_type = param_type;
    rec->channel = channel;
    return cgi_send_ipc(MSG_OPERATION_LOG, rec, sizeof *rec);
}
