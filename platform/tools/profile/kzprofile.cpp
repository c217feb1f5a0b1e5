// kzprofile: the device's profile tool. Exports the settings store into a
// profile archive and imports one back. Format and limits: docs/profile.md.
//   kzprofile -e DIR    archive into DIR, its device path into the hand-over file
//   kzprofile -i FILE   validate FILE completely, then replace the settings in one step
// Exit 0 on success; otherwise 1 with one line on standard error and nothing changed.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <sstream>
#include <string>

#include "devroot.h"
#include "kzdb.h"
#include "sha256.h"
#include "tar_gz.h"

namespace {

constexpr const char *kHandOver = "/tmp/.export_down_file";
constexpr const char *kManifest = "manifest.txt";
constexpr const char *kDatabase = "kzdb.db";
constexpr const char *kFormat = "1";
constexpr size_t kMaxTotal = 64u << 20;
constexpr std::string_view kMembers[] = {kManifest, kDatabase};
constexpr std::string_view kPrefix = "config_", kSuffix = ".tar.gz";

int fail(const std::string &why) {
    std::fprintf(stderr, "kzprofile: %s\n", why.c_str());
    return 1;
}

struct Db {
    sqlite3 *h = nullptr;
    ~Db() { sqlite3_close(h); }
};

// Bytes 18/19 say "WAL": an image is kept in rollback form so that it opens in memory.
void to_rollback_header(std::string &image) {
    if (image.size() >= 20 && image[18] == 2 && image[19] == 2) image[18] = image[19] = 1;
}

bool backup(sqlite3 *to, sqlite3 *from) {
    sqlite3_backup *b = sqlite3_backup_init(to, "main", from, "main");
    if (!b) return false;
    int rc = sqlite3_backup_step(b, -1);
    return sqlite3_backup_finish(b) == SQLITE_OK && rc == SQLITE_DONE;
}

// A consistent copy of the live store, taken with the online backup.
bool snapshot(std::string &image) {
    Db live, mem;
    std::string path = nvr::dev_path(KZDB_PATH);
    if (sqlite3_open_v2(path.c_str(), &live.h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_open(":memory:", &mem.h) != SQLITE_OK)
        return false;
    sqlite3_busy_timeout(live.h, kzdb::kBusyTimeoutMs);
    if (!backup(mem.h, live.h)) return false;
    sqlite3_int64 size = 0;
    unsigned char *bytes = sqlite3_serialize(mem.h, "main", &size, 0);
    if (!bytes) return false;
    image.assign(reinterpret_cast<char *>(bytes), static_cast<size_t>(size));
    sqlite3_free(bytes);
    to_rollback_header(image);
    return true;
}

std::string manifest_of(const std::string &image) {
    char version[64];
    get_param_value(KZDB_PATH, "software_version", version, sizeof version, "");
    char date[32];
    std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
    std::ostringstream m;
    m << "format=" << kFormat << "\nschema=" << kzdb::kSchemaVersion << "\nsoftware=" << version
      << "\ndate=" << date << "\nsha256 " << kDatabase << " " << profile::sha256_hex(image) << "\n";
    return m.str();
}

// Writes `data` to `path` through a temporary name, so readers see all or nothing.
bool replace_file(const std::string &path, const std::string &data) {
    std::string tmp = path + ".tmp";
    FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fclose(f) == 0 && ok;
    if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
    unlink(tmp.c_str());
    return false;
}

// The archive the previous hand-over named, when it is one of ours in "/tmp".
void remove_previous(const std::string &keep) {
    FILE *f = std::fopen(nvr::dev_path(kHandOver).c_str(), "rb");
    if (!f) return;
    char buf[256] = {};
    size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    std::string old(buf, strnlen(buf, n));
    std::string_view name = std::string_view(old).substr(old.rfind('/') + 1);
    if (!old.starts_with("/tmp/") || old.find('/', 5) != std::string::npos ||
        !name.starts_with(kPrefix) || !name.ends_with(kSuffix) || old == keep)
        return;
    std::string host = nvr::dev_path(old);
    struct stat st {};
    if (lstat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(host.c_str());
}

// The device path of a host directory under the device root.
std::string device_dir(std::string dir) {
    std::string_view root = nvr::device_root();
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    if (!root.empty() && dir.starts_with(root)) dir.erase(0, root.size());
    return dir.empty() ? "/" : dir;
}

int export_profile(const std::string &dir) {
    std::string image;
    if (!snapshot(image)) return fail("cannot read the settings store");
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S", std::gmtime(&now));
    std::string name = std::string(kPrefix) + stamp + std::string(kSuffix);
    std::string host = dir + "/" + name, tmp = dir + "/.kzprofile.tmp";
    if (profile::write_tar_gz(tmp, {{kManifest, manifest_of(image)}, {kDatabase, image}}) != 0 ||
        std::rename(tmp.c_str(), host.c_str()) != 0) {
        unlink(tmp.c_str());
        return fail("cannot write the archive in " + dir);
    }
    std::string device = device_dir(dir) + "/" + name;
    remove_previous(device);
    if (!replace_file(nvr::dev_path(kHandOver), device)) {
        unlink(host.c_str());
        return fail("cannot write the hand-over file");
    }
    return 0;
}

// "" when the manifest fits this store and every member's digest matches.
std::string check_manifest(const std::string &text, const std::vector<profile::Member> &members) {
    std::map<std::string, std::string> keys, digests;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("sha256 ")) {
            size_t sp = line.find(' ', 7);
            if (sp == std::string::npos) return "damaged manifest";
            digests[line.substr(7, sp - 7)] = line.substr(sp + 1);
        } else if (size_t eq = line.find('='); eq != std::string::npos) {
            keys[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    if (keys["format"] != kFormat) return "unknown profile format";
    if (keys["schema"] != std::to_string(kzdb::kSchemaVersion))
        return "profile of another store schema";
    for (const profile::Member &m : members)
        if (m.name != kManifest && digests[m.name] != profile::sha256_hex(m.data))
            return "digest mismatch: " + m.name;
    return "";
}

// Opens the image in memory and runs SQLite's integrity check and the schema check.
std::string check_database(std::string image, Db &mem) {
    to_rollback_header(image);
    if (sqlite3_open(":memory:", &mem.h) != SQLITE_OK) return "out of memory";
    auto *buf = static_cast<unsigned char *>(sqlite3_malloc64(image.size() ? image.size() : 1));
    if (!buf) return "out of memory";
    std::memcpy(buf, image.data(), image.size());
    if (sqlite3_deserialize(mem.h, "main", buf, image.size(), image.size(),
                            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE) !=
        SQLITE_OK)
        return "database does not open";
    std::string verdict;
    int version = -1;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(mem.h, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char *t = sqlite3_column_text(st, 0);
        verdict = t ? reinterpret_cast<const char *>(t) : "";
    }
    sqlite3_finalize(st);
    if (verdict != "ok") return "database fails its integrity check";
    if (sqlite3_prepare_v2(mem.h, "PRAGMA user_version", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        version = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    if (version != kzdb::kSchemaVersion) return "database of another store schema";
    return "";
}

int import_profile(const std::string &file) {
    std::vector<profile::Member> members;
    std::string why = profile::read_tar_gz(file, kMembers, kMaxTotal, members);
    if (!why.empty()) return fail(why);
    if (members.size() != std::size(kMembers)) return fail("incomplete profile");
    const std::string &manifest = members[0].name == kManifest ? members[0].data : members[1].data;
    const std::string &image = members[0].name == kDatabase ? members[0].data : members[1].data;
    if (!(why = check_manifest(manifest, members)).empty()) return fail(why);
    Db mem, live;
    if (!(why = check_database(image, mem)).empty()) return fail(why);
    // One backup step replaces the whole store under its write lock: readers
    // see the old settings or the new ones.
    std::string path = nvr::dev_path(KZDB_PATH);
    if (sqlite3_open_v2(path.c_str(), &live.h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return fail("cannot open the settings store");
    sqlite3_busy_timeout(live.h, kzdb::kBusyTimeoutMs);
    if (!backup(live.h, mem.h)) return fail("cannot replace the settings");
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], "-e") == 0) return export_profile(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "-i") == 0) return import_profile(argv[2]);
    std::fprintf(stderr, "usage: kzprofile -e DIR | -i FILE\n");
    return 2;
}
