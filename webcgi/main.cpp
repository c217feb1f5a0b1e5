// webcgi: run once per HTTP request by the web server (CGI/1.1).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ipc/cgi_ipc.h"
#include "modules.h"
#include "request.h"

namespace {
// Outside CGI: "webcgi --list" prints the registry, one line per used slot.
int list_registry() {
    webcgi_register_modules();
    WebResForEach([](int slot, const WebRes &e, const char *module) {
        std::printf("%d %s %s\n", slot, e.path, module ? module : "");
    });
    return 0;
}
}  // namespace

int main(int argc, char **argv) {
    // Some web servers pass query words as arguments: never act on them in CGI.
    if (!std::getenv("REQUEST_METHOD")) {
        if (argc == 2 && std::strcmp(argv[1], "--list") == 0) return list_registry();
        std::fprintf(stderr, "usage: webcgi --list   (otherwise run as CGI)\n");
        return 2;
    }
    webcgi_register_modules();
    int status = cgi_run_request();
    cgi_channel_close();
    webcgi_unregister_modules();
    return status;
}
