#include "vbhtm.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cgi_ipc.h"
#include "cgi_response.h"
#include "device.h"
#include "devroot.h"
#include "handler.h"
#include "kzdb.h"
#include "shell.h"
#include "text.h"
#include "vbhtm_identity.h"

namespace {

constexpr int MSG_SET_LANGUAGE = 4000;
constexpr int kMaxQuery = 255;  // the query is looked at up to here

// Each option answers its own text, header included: one request may carry
// several options, and so several replies in one body.
void reply(std::string &out, const char *text) {
    out += "Content-type: text/plain\r\n\r\n";
    out += text;
}

void store_param(const char *key, const char *value) {
    if (check_param_key(KZDB_PATH, key) == 0)
        set_param_value(KZDB_PATH, key, value);
    else
        add_param_value(KZDB_PATH, key, value);
}

void opt_setlang(const HttpOption &opt, std::string &out) {
    int32_t lang = atoi(opt.value);
    cgi_send_ipc(MSG_SET_LANGUAGE, &lang, sizeof lang);
    reply(out, "OK");
}

void opt_setdefault(const HttpOption &, std::string &) {}

void opt_decode(const HttpOption &opt, std::string &out) {
    store_param("decode", opt.value);
    reply(out, "OK");
}

void opt_hotplug(const HttpOption &opt, std::string &out) {
    store_param("hdmihotplug", opt.value);
    reply(out, "OK");
}

int copy_device_file(const char *from, const char *to) {
    std::string src = nvr::dev_path(from), dst = nvr::dev_path(to);
    const char *argv[] = {"cp", src.c_str(), dst.c_str(), nullptr};
    return run_argv(argv);
}

// Removes the plain files of a device directory (not its subdirectories).
void remove_files_in(const char *dir) {
    std::string root = nvr::dev_path(dir);
    DIR *d = opendir(root.c_str());
    if (!d) return;
    while (dirent *e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        unlinkat(dirfd(d), e->d_name, 0);
    }
    closedir(d);
}

void touch_device_file(const char *path) {
    int fd = open(nvr::dev_path(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd >= 0) close(fd);
}

// Undoes an OEM customisation: stock logo and GUI, stock web pages, and the
// markers that make the core daemon erase the OEM network and user settings.
void opt_oemclean(const HttpOption &, std::string &out) {
    copy_device_file("/mnt/nand2/logo.jpg_bk", "/opt/app/bin/logo.jpg");
    copy_device_file("/mnt/nand2/gui.rcc_bk", "/opt/app/bin/gui.rcc");
    remove_files_in("/mnt/nand2");
    std::string web = nvr::dev_path("/opt/app/www");
    std::string archive = web + "/web.tar.gz";
    const char *tar[] = {"tar", "-zxf", archive.c_str(), "-C", web.c_str(), nullptr};
    run_argv(tar);
    touch_device_file("/mnt/nand/app/eraseip");
    touch_device_file("/mnt/nand/app/eraseuser");
    set_param_int(KZDB_PATH, "oem_type", 0);
    touch_device_file("/mnt/nand/app/eraseall");
    sync();
    reply(out, "OK");
}

void opt_paratest(const HttpOption &opt, std::string &out) {
    if (std::strcmp(opt.value, "chipinfo") != 0) return reply(out, "Param ERROR");
    char info[64] = {};
    if (get_chip_info(info, sizeof info) != 0) return reply(out, "ERROR");
    std::string text = std::string("OK chipinfo=") + info + "\n";
    reply(out, text.c_str());
}

void opt_softversion(const HttpOption &, std::string &out) {
    char version[256];
    get_param_value(KZDB_PATH, "software_version", version, sizeof version, "7x.7.0.9");
    reply(out, version);
}

const HttpOptionEntry kOptionTable[] = {
    {"setlang", opt_setlang, nullptr},         {"setdefault", opt_setdefault, nullptr},
    {"decode", opt_decode, nullptr},           {"hotplug", opt_hotplug, nullptr},
    {"oemclean", opt_oemclean, nullptr},       {"paratest", opt_paratest, nullptr},
    {"softversion", opt_softversion, nullptr}, {"chipupdate", opt_chipupdate, nullptr},
    {"modelupdate", opt_modelupdate, nullptr},
};
constexpr int kOptionCount = sizeof kOptionTable / sizeof kOptionTable[0];

struct HashIndex {
    HttpOptionEntry entries[kOptionCount];
    const HttpOptionEntry *bucket[CMD_HASH_SIZE];
};

void hash_table_init(HashIndex &h) {
    std::memset(h.bucket, 0, sizeof h.bucket);
    for (int i = 0; i < kOptionCount; ++i) {
        h.entries[i] = kOptionTable[i];
        unsigned b = http_option_hash(h.entries[i].name);
        h.entries[i].next = h.bucket[b];
        h.bucket[b] = &h.entries[i];
    }
}

const HttpOptionEntry *http_option_search(const HashIndex &h, const char *name) {
    for (const HttpOptionEntry *e = h.bucket[http_option_hash(name)]; e; e = e->next)
        if (std::strcmp(e->name, name) == 0) return e;
    return nullptr;
}

}  // namespace

Answer on_cgi_vb_htm(Request &rq) {
    HashIndex index;
    hash_table_init(index);
    HttpOption opts[kMaxQuery];
    std::string out;
    int count = vb_parse_request(rq.text, opts, kMaxQuery);
    if (count <= 0) {
        reply(out, "PARAM ERROR");
        return Answer::raw(out);
    }
    for (int i = 0; i < count; ++i) {
        const HttpOptionEntry *e = http_option_search(index, opts[i].name);
        if (!e) {
            reply(out, "ERROR");
            break;
        }
        e->handler(opts[i], out);
    }
    return Answer::raw(out);
}
