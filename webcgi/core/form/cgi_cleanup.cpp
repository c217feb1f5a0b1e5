#include "cgi_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>

namespace nvr::form {
namespace {

constexpr int kSlots = 32;
constexpr int kPathMax = 512;
char g_paths[kSlots][kPathMax];
volatile sig_atomic_t g_used[kSlots];
bool g_installed = false;

void on_fatal_signal(int sig) {
    for (int i = 0; i < kSlots; ++i)
        if (g_used[i]) unlink(g_paths[i]);
    signal(sig, SIG_DFL);
    raise(sig);
}

void install() {
    struct sigaction sa {};
    sa.sa_handler = on_fatal_signal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGPIPE, SIGINT, SIGHUP})
        sigaddset(&sa.sa_mask, sig);
    for (int sig : {SIGTERM, SIGPIPE, SIGINT, SIGHUP})
        sigaction(sig, &sa, nullptr);
    g_installed = true;
}

}  // namespace

void doomed_add(const char *real_path) {
    if (!real_path || std::strlen(real_path) >= kPathMax) return;
    if (!g_installed) install();
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i]) continue;
        std::memcpy(g_paths[i], real_path, std::strlen(real_path) + 1);
        g_used[i] = 1;  // set only once the path is whole
        return;
    }
}

void doomed_remove(const char *real_path) {
    if (!real_path) return;
    for (int i = 0; i < kSlots; ++i)
        if (g_used[i] && std::strcmp(g_paths[i], real_path) == 0) g_used[i] = 0;
}

}  // namespace nvr::form
