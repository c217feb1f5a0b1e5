// The storage list (/6100): the devices the core reports, merged with the NAS
// shares configured in the store.
#include <array>

#include "storage.h"
#include "url_codec.h"

namespace {

// One listed device as the client sees it (sizes in MiB, credentials URL-encoded).
struct ListedDisk {
    int32_t port;
    char vendor[65];  // room for a reported 64-byte text without NUL
    char address[65];
    char directory[129];
    int64_t total_mib;
    int64_t used_mib;
    int64_t free_mib;
    int32_t disk_type;
    int32_t state;
    int32_t group;
    int32_t property;
    int32_t usable;
    int32_t raid_id;
    int32_t raid_level;
    int32_t raid_state;
    int32_t raid_progress;
    int32_t raid_member_count;
    int32_t raid_task;
    char user_name[128];
    char password[128];
    int32_t raid_port_mask;
};

constexpr Field kListedDiskFields[] = {
    FIELD(ListedDisk, port, "portId"),
    FIELD(ListedDisk, vendor, "vendorName"),
    FIELD(ListedDisk, address, "address"),
    FIELD(ListedDisk, directory, "directory"),
    FIELD(ListedDisk, total_mib, "totalSize"),
    FIELD(ListedDisk, used_mib, "usedSize"),
    FIELD(ListedDisk, free_mib, "freeSize"),
    FIELD(ListedDisk, disk_type, "hddType"),
    FIELD(ListedDisk, state, "state"),
    FIELD(ListedDisk, group, "group"),
    FIELD(ListedDisk, property, "property"),
    FIELD(ListedDisk, usable, "bUsable"),
    FIELD(ListedDisk, raid_id, "raid_id"),
    FIELD(ListedDisk, raid_level, "raid_level"),
    FIELD(ListedDisk, raid_state, "raid_state"),
    FIELD(ListedDisk, raid_progress, "raid_progress"),
    FIELD(ListedDisk, raid_member_count, "raid_sata_cnt"),
    FIELD(ListedDisk, raid_task, "raid_task"),
    FIELD(ListedDisk, user_name, "userName"),
    FIELD(ListedDisk, password, "password"),
    FIELD(ListedDisk, raid_port_mask, "raid_sata_port"),
};

struct Slot {
    bool used = false;
    ListedDisk d{};
};
using Slots = std::array<Slot, STORAGE_MAX_PORTS>;

bool is_nas(int type) {
    return type == DISK_TYPE_NFS || type == DISK_TYPE_SMB;
}

template <size_t N>
void set_encoded(char (&field)[N], std::string_view plain) {
    copy_text(field, get_url_encode(plain));
}

// Bit p for each of the first member_count member ports p (0..31).
int32_t member_mask(const StorageEntry &e) {
    uint32_t mask = 0;
    int n = e.raid_member_count < 0 ? 0 : e.raid_member_count > 32 ? 32 : e.raid_member_count;
    for (int i = 0; i < n; i++)
        if (e.raid_members[i] >= 0 && e.raid_members[i] < 32) mask |= 1u << e.raid_members[i];
    return static_cast<int32_t>(mask);
}

ListedDisk from_entry(const StorageEntry &e) {
    ListedDisk d{};
    d.port = e.port;
    copy_text(d.vendor, field_text(e.vendor, sizeof e.vendor));
    copy_text(d.address, field_text(e.address, sizeof e.address));
    copy_text(d.directory, field_text(e.directory, sizeof e.directory));
    d.total_mib = e.total_bytes >> 20;
    d.used_mib = e.used_bytes >> 20;
    d.free_mib = e.free_bytes >> 20;
    d.disk_type = e.disk_type, d.state = e.state, d.group = e.group, d.property = e.property;
    d.usable = e.usable, d.raid_id = e.raid_id, d.raid_level = e.raid_level;
    d.raid_state = e.raid_state, d.raid_progress = e.raid_progress;
    d.raid_member_count = e.raid_member_count, d.raid_task = e.raid_task;
    set_encoded(d.user_name, field_text(e.user_name, sizeof e.user_name));
    set_encoded(d.password, field_text(e.password, sizeof e.password));
    d.raid_port_mask = member_mask(e);
    return d;
}

void copy_share_texts(ListedDisk &d, const DiskRecord &rec) {
    copy_text(d.vendor, field_text(rec.vendor, sizeof rec.vendor));
    copy_text(d.address, field_text(rec.address, sizeof rec.address));
    copy_text(d.directory, field_text(rec.directory, sizeof rec.directory));
    set_encoded(d.user_name, field_text(rec.user_name, sizeof rec.user_name));
    set_encoded(d.password, field_text(rec.password, sizeof rec.password));
}

// Configured shares: texts over a reported share, or the whole entry (state 2) in an empty slot.
void merge_store(Slots &slots) {
    DiskRecord recs[KZDB_MAX_DISKS];
    int n = 0;
    if (read_disks(KZDB_PATH, recs, &n) != 0) return;
    for (int i = 0; i < n; i++) {
        const DiskRecord &rec = recs[i];
        if (rec.enable != 1 || !kDiskPorts.has(rec.port)) continue;
        Slot &s = slots[static_cast<size_t>(rec.port - 1)];
        if (s.used && !is_nas(s.d.disk_type)) continue;
        if (!s.used) {
            s.used = true;
            s.d = ListedDisk{};
            s.d.port = rec.port;
            s.d.disk_type = rec.disk_type;
            s.d.property = rec.property;
            s.d.group = rec.group;
            s.d.state = DISK_STATE_NAS_OFFLINE;
        }
        copy_share_texts(s.d, rec);
    }
}

Answer render_list(const ReplyView &r) {
    Slots slots;
    const size_t reported = r.count<StorageEntry>();
    for (size_t i = 0; i < reported; i++) {
        StorageEntry e;
        r.get(i, e);
        if (!kDiskPorts.has(e.port)) continue;
        slots[static_cast<size_t>(e.port - 1)] = {true, from_entry(e)};
    }
    merge_store(slots);
    json_object *hdd = json_object_new_array();
    for (const Slot &s : slots)
        if (s.used) json_object_array_add(hdd, fields_render(kListedDiskFields, s.d).release());
    bool any = reported > 0 || json_object_array_length(hdd) > 0;
    JsonOut out;
    out.add("resultString", any ? "OK" : "NO")
        .add("esataType", get_param_int(KZDB_PATH, "esata_type", 0))
        .add("HDD", hdd)
        .add("maxDiskNum", STORAGE_MAX_PORTS);
    return Answer::json(out);
}

}  // namespace

Answer on_get_disk_info(Request &) {
    return cgi_query(MSG_STORAGE_LIST, nullptr, 0, render_list, Answer::error(CGI_JSON));
}
