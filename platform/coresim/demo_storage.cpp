// Demo answers of the storage area (see demo_replies.h): a simulated storage
// kept in "$NVR_ROOT/sim/storage.bin" (docs/core-protocol.md), which starts
// with two SATA disks on ports 1 and 2. Only this file changes it; no host
// disk, mount table or tool is ever touched.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "demo_replies.h"
#include "devroot.h"
#include "kzdb_records_storage.h"
#include "storage_msgs.h"

namespace coresim {
namespace {

constexpr int64_t kGiB = int64_t{1} << 30;
constexpr int32_t kDiskTypeSata = 1;

// The whole simulated state, as stored in the file.
struct DemoStorage {
    char magic[8];
    StorageEntry disks[STORAGE_MAX_PORTS];  // slot port - 1; port 0: empty
    RecycleMode recycle;
    int32_t quota_enable;
    int32_t quota_count;
    QuotaEntry quotas[16];
    int32_t backup_stop;
    int32_t backup_status;
    int32_t format_port;  // last formatted port, 0 when none
    int32_t format_percent;
};
static_assert(sizeof(DemoStorage) == 8 + 36 * 464 + 8 + 8 + 320 + 16);
constexpr char kMagic[8] = "KZSTOR1";

std::string state_path() {
    return nvr::dev_path("/sim/storage.bin");
}

template <size_t N>
void text(char (&field)[N], std::string_view s) {
    std::memset(field, 0, N);
    std::memcpy(field, s.data(), s.size() < N - 1 ? s.size() : N - 1);
}

void sata_disk(StorageEntry &e, int port, int64_t total, int64_t used) {
    e = StorageEntry{};
    e.port = port;
    text(e.vendor, "KZ-HDD");
    text(e.directory, "/mnt/sata" + std::to_string(port));
    e.usable = 1;
    e.disk_type = kDiskTypeSata;
    e.total_bytes = total;
    e.used_bytes = used;
    e.free_bytes = total - used;
}

void initial(DemoStorage &s) {
    s = DemoStorage{};
    std::memcpy(s.magic, kMagic, sizeof kMagic);
    sata_disk(s.disks[0], 1, 2000 * kGiB, 300 * kGiB);
    sata_disk(s.disks[1], 2, 1000 * kGiB, 0);
}

void save(const DemoStorage &s) {
    const std::string path = state_path(), tmp = path + ".tmp";
    nvr::make_dirs(nvr::dev_path("/sim"));
    FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f) return;
    bool ok = std::fwrite(&s, sizeof s, 1, f) == 1;
    ok = std::fclose(f) == 0 && ok;
    if (ok) std::rename(tmp.c_str(), path.c_str());
}

// The stored state; a missing or foreign file starts the initial one (and writes it).
DemoStorage load() {
    DemoStorage s{};
    FILE *f = std::fopen(state_path().c_str(), "rb");
    bool ok = f && std::fread(&s, sizeof s, 1, f) == 1 && std::fgetc(f) == EOF &&
              std::memcmp(s.magic, kMagic, sizeof kMagic) == 0;
    if (f) std::fclose(f);
    if (!ok) {
        initial(s);
        save(s);
    }
    return s;
}

int32_t int_at(std::span<const unsigned char> req, size_t off, int32_t def = -1) {
    int32_t v = def;
    if (req.size() >= off + 4) std::memcpy(&v, req.data() + off, 4);
    return v;
}

StorageEntry *slot(DemoStorage &s, int32_t port) {
    if (port < 1 || port > STORAGE_MAX_PORTS) return nullptr;
    StorageEntry &e = s.disks[port - 1];
    return e.port == port ? &e : nullptr;
}

bool is_nas(const StorageEntry &e) {
    return e.disk_type == DISK_TYPE_NFS || e.disk_type == DISK_TYPE_SMB;
}

Payload code(int32_t c) {
    Payload out;
    put(out, c);
    return out;
}

Payload list(std::span<const unsigned char>) {
    DemoStorage s = load();
    Payload out;
    for (const StorageEntry &e : s.disks)
        if (e.port) put(out, e);
    return out;
}

Payload format(std::span<const unsigned char> req) {
    DemoStorage s = load();
    const int32_t port = int_at(req, 0);
    StorageEntry *e = slot(s, port);
    if (!e) return code(-1);
    if (is_nas(*e) && e->total_bytes < 2 * kGiB) return code(-3);
    if (e->raid_id != 0 && e->disk_type != DISK_TYPE_RAID) return code(1);  // a RAID member
    e->used_bytes = 0;
    e->free_bytes = e->total_bytes;
    s.format_port = port;
    s.format_percent = 100;
    save(s);
    return code(0);
}

// RAID create: a new array entry at port `id`, its members marked with the id.
Payload raid_create(std::span<const unsigned char> req) {
    RaidRequest r{};
    if (req.size() < sizeof r) return code(-1);
    std::memcpy(&r, req.data(), sizeof r);
    DemoStorage s = load();
    if (r.id < 10 || r.id > 15 || slot(s, r.id)) return code(-1);
    int n = r.member_count < 0 ? 0 : r.member_count > 16 ? 16 : r.member_count;
    int64_t total = 0;
    StorageEntry a{};
    for (int i = 0; i < n; i++) {
        StorageEntry *m = slot(s, r.members[i]);
        if (!m || m->disk_type != kDiskTypeSata || m->raid_id) return code(-1);
        total += m->total_bytes;
        a.raid_members[i] = r.members[i];
    }
    if (n == 0) return code(-1);
    for (int i = 0; i < n; i++)
        slot(s, r.members[i])->raid_id = r.id;
    a.port = a.raid_id = r.id;
    text(a.vendor, "RAID");
    a.usable = 1;
    a.disk_type = DISK_TYPE_RAID;
    a.raid_level = r.level;
    a.raid_member_count = n;
    a.total_bytes = a.free_bytes = total / 2;
    s.disks[r.id - 1] = a;
    save(s);
    return code(0);
}

Payload raid_remove(std::span<const unsigned char> req) {
    DemoStorage s = load();
    const int32_t id = int_at(req, 0);
    StorageEntry *a = slot(s, id);
    if (!a || a->disk_type != DISK_TYPE_RAID) return code(-1);
    for (StorageEntry &e : s.disks)
        if (e.port && e.raid_id == id) e.raid_id = 0;
    *a = StorageEntry{};
    save(s);
    return code(0);
}

Payload hot_spare(std::span<const unsigned char> req) {
    DemoStorage s = load();
    StorageEntry *e = slot(s, int_at(req, 0));
    return code(e && e->disk_type == kDiskTypeSata ? 0 : -1);
}

Payload rebuild(std::span<const unsigned char> req) {
    DemoStorage s = load();
    StorageEntry *d = slot(s, int_at(req, 0));
    StorageEntry *a = slot(s, int_at(req, 4));
    return code(d && a && a->disk_type == DISK_TYPE_RAID ? 0 : -1);
}

// A share configured in the store shows in the list as a mounted device.
bool mount_share(DemoStorage &s, int32_t port) {
    DiskRecord rec{};
    if (port < 1 || port > STORAGE_MAX_PORTS || read_disk(KZDB_PATH, &rec, port) != 0 ||
        rec.enable != 1)
        return false;
    StorageEntry &e = s.disks[port - 1];
    e = StorageEntry{};
    e.port = port;
    e.usable = 1;
    e.disk_type = rec.disk_type;
    e.total_bytes = e.free_bytes = 500 * kGiB;
    return true;
}

Payload nas_changed(std::span<const unsigned char> req) {
    DemoStorage s = load();
    if (!mount_share(s, int_at(req, 0))) return code(-1);
    save(s);
    return code(0);
}

PortList ports_of(std::span<const unsigned char> req) {
    PortList l{};
    std::memcpy(&l, req.data(), req.size() < sizeof l ? req.size() : sizeof l);
    if (l.count < 0) l.count = 0;
    if (l.count > STORAGE_MAX_NAS) l.count = STORAGE_MAX_NAS;
    return l;
}

Payload nas_added(std::span<const unsigned char> req) {
    DemoStorage s = load();
    PortList l = ports_of(req);
    int32_t rc = 0;
    for (int i = 0; i < l.count; i++)
        if (!mount_share(s, l.ports[i])) rc = -1;
    save(s);
    return code(rc);
}

// The core owns the share records: deleting a share also clears its record.
Payload nas_deleted(std::span<const unsigned char> req) {
    DemoStorage s = load();
    PortList l = ports_of(req);
    for (int i = 0; i < l.count; i++) {
        StorageEntry *e = slot(s, l.ports[i]);
        if (e && is_nas(*e)) *e = StorageEntry{};
        delete_disk(KZDB_PATH, l.ports[i]);
    }
    save(s);
    return code(0);
}

Payload nas_search(std::span<const unsigned char> req) {
    NasSearch q{};
    std::memcpy(&q, req.data(), req.size() < sizeof q ? req.size() : sizeof q);
    Payload out;
    if (q.server[0] == '\0') return out;
    for (const char *p : {"/export/nvr", "/export/backup"}) {
        char path[NAS_PATH_SIZE] = {};
        text(path, p);
        put(out, path);
    }
    return out;
}

Payload smart(std::span<const unsigned char> req) {
    DemoStorage s = load();
    StorageEntry *e = slot(s, int_at(req, 0));
    std::string_view report =
        e && !is_nas(*e) ? "SMART overall-health self-assessment: PASSED" : "SMART not available";
    return Payload(report.begin(), report.end());
}

Payload remove_disk(std::span<const unsigned char> req) {
    DemoStorage s = load();
    StorageEntry *e = slot(s, int_at(req, 0));
    if (!e) return code(-1);
    *e = StorageEntry{};
    save(s);
    return code(0);
}

Payload recycle_get(std::span<const unsigned char>) {
    Payload out;
    put(out, load().recycle);
    return out;
}

Payload recycle_set(std::span<const unsigned char> req) {
    DemoStorage s = load();
    s.recycle.mode = int_at(req, 0, 0);
    s.recycle.esata = int_at(req, 4, 0);
    save(s);
    return code(0);
}

Payload quota_get(std::span<const unsigned char>) {
    DemoStorage s = load();
    QuotaStateHead head{s.quota_enable, 0, 16};
    for (const StorageEntry &e : s.disks)
        if (e.port && e.disk_type == kDiskTypeSata) head.disk++;
    Payload out;
    put(out, head);
    for (int i = 0; i < s.quota_count; i++)
        put(out, s.quotas[i]);
    return out;
}

Payload quota_set(std::span<const unsigned char> req) {
    QuotaSet q{};
    if (req.size() < sizeof q) return code(-1);
    std::memcpy(&q, req.data(), sizeof q);
    DemoStorage s = load();
    s.quota_enable = q.enable;
    s.quota_count = q.count < 0 ? 0 : q.count > 16 ? 16 : q.count;
    std::memcpy(s.quotas, q.entries, sizeof s.quotas);
    save(s);
    return code(0);
}

Payload export_disks(std::span<const unsigned char>) {
    DemoStorage s = load();
    ExportDisks e{};
    for (const StorageEntry &d : s.disks)
        if (d.port && d.disk_type == DISK_TYPE_ESATA) e.ports[e.count++] = d.port;
    Payload out;
    put(out, e);
    return out;
}

Payload esata_format(std::span<const unsigned char> req) {
    DemoStorage s = load();
    int32_t port = int_at(req, 0);
    StorageEntry *e = slot(s, port);
    return code(port == 0 || (e && e->disk_type == DISK_TYPE_ESATA) ? 0 : -1);
}

Payload backup_status(std::span<const unsigned char>) {
    return code(load().backup_status);
}

Payload backup_stop(std::span<const unsigned char>) {
    DemoStorage s = load();
    s.backup_status = 0;
    save(s);
    return code(0);
}

Payload backup_set(std::span<const unsigned char> req) {
    DemoStorage s = load();
    s.backup_stop = int_at(req, 0, 0);
    if (s.backup_stop) s.backup_status = 0;
    save(s);
    return code(0);
}

Payload backup_state(std::span<const unsigned char>) {
    DemoStorage s = load();
    EsataBackupState st{};
    st.status = s.backup_status;
    st.percent = s.backup_status ? 42.5f : 0.0f;
    text(st.last_time, "2026-01-01 00:00:00");
    Payload out;
    put(out, st);
    return out;
}

Payload format_progress(std::span<const unsigned char>) {
    DemoStorage s = load();
    Payload out;
    put(out, int32_t{0});
    if (StorageEntry *e = slot(s, s.format_port))
        put(out, FormatProgress{e->port, e->disk_type, s.format_percent});
    return out;
}

constexpr DemoEntry kEntries[] = {
    {MSG_ESATA_BACKUP_SET, backup_set},
    {MSG_ESATA_BACKUP_STATE, backup_state},
    {MSG_DISK_SMART, smart},
    {MSG_RAID_CREATE, raid_create},
    {MSG_RAID_REMOVE, raid_remove},
    {MSG_HOT_SPARE_SET, hot_spare},
    {MSG_HOT_SPARE_CLEAR, hot_spare},
    {MSG_RAID_REBUILD, rebuild},
    {MSG_RECYCLE_GET, recycle_get},
    {MSG_STORAGE_LIST, list},
    {MSG_DISK_FORMAT, format},
    {MSG_NAS_CHANGED, nas_changed},
    {MSG_NAS_SEARCH, nas_search},
    {MSG_EXPORT_DISKS, export_disks},
    {MSG_RECYCLE_SET, recycle_set},
    {MSG_DISK_REMOVE, remove_disk},
    {MSG_NAS_ADDED, nas_added},
    {MSG_NAS_DELETED, nas_deleted},
    {MSG_QUOTA_GET, quota_get},
    {MSG_QUOTA_SET, quota_set},
    {MSG_ESATA_FORMAT, esata_format},
    {MSG_BACKUP_STATE, backup_status},
    {MSG_BACKUP_STOP, backup_stop},
    {MSG_FORMAT_PROGRESS, format_progress},
};

}  // namespace

const std::span<const DemoEntry> kDemoStorage = kEntries;

void demo_storage_start() {
    load();
}

}  // namespace coresim
