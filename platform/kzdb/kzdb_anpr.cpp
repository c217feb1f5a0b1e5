// Licence-plate recognition in the store: per-mode event records and schedules, and the
// plate list in its own database (table anpr_list, made on first use).
#include <sqlite3.h>

#include <cstring>

#include "kzdb_conn.h"
#include "kzdb_records_anpr.h"

namespace {

// Index of a mode in the tables below, or -1.
int mode_index(int mode) {
    return mode >= ANPR_MODE_FIRST && mode <= ANPR_MODE_LAST ? mode + 1 : -1;
}

constexpr const char *kEventKinds[ANPR_MODES] = {"anpr_event", "anpr_black_event",
                                                 "anpr_white_event", "anpr_visitor_event"};
constexpr const char *kScheduleKinds[4][ANPR_MODES] = {
    {"anpr_effective_schedule", "anpr_black_effective_schedule", "anpr_white_effective_schedule",
     "anpr_visitor_effective_schedule"},
    {"anpr_audible_schedule", "anpr_black_audible_schedule", "anpr_white_audible_schedule",
     "anpr_visitor_audible_schedule"},
    {"anpr_mail_schedule", "anpr_black_mail_schedule", "anpr_white_mail_schedule",
     "anpr_visitor_mail_schedule"},
    {"anpr_ptz_schedule", "anpr_black_ptz_schedule", "anpr_white_ptz_schedule",
     "anpr_visitor_ptz_schedule"},
};

// The linked tables of black (0), white (1) and every other mode. The spellings are the
// table names the device already has.
const char *by_list(int mode, const char *black, const char *white, const char *other) {
    return mode == 0 ? black : mode == 1 ? white : other;
}

int read_sched(AnprSchedule s, const char *db, ScheduleRecord *out, int channel, int mode) {
    const char *kind = anpr_schedule_kind(s, mode);
    return kind ? kzdb::read_schedule(db, kind, out, channel) : -1;
}
int write_sched(AnprSchedule s, const char *db, const ScheduleRecord *rec, int channel, int mode) {
    const char *kind = anpr_schedule_kind(s, mode);
    return kind ? kzdb::write_schedule(db, kind, rec, channel) : -1;
}

constexpr const char *kCreate =
    "CREATE TABLE IF NOT EXISTS anpr_list(plate TEXT PRIMARY KEY NOT NULL, type TEXT NOT NULL)";

// Texts go in as their bytes up to the field's end, never past it.
bool bind_field(kzdb::Stmt &st, int idx, const char *field, size_t width) {
    return sqlite3_bind_text(st.get(), idx, field, static_cast<int>(strnlen(field, width)),
                             SQLITE_TRANSIENT) == SQLITE_OK;
}

bool has_plate(const AnprListEntry &e) {
    return e.plate[0] != '\0';
}

// Runs `sql` once per entry (plate bound first, type second when the statement has it)
// in one transaction. `need_change`: an entry that changes no row fails the whole batch.
int run_each(const char *db, const char *sql, const AnprListEntry *entries, int count,
             bool need_change) {
    if (count < 0 || (count > 0 && !entries)) return -1;
    kzdb::Batch batch(db);
    kzdb::Conn *c = batch.conn();
    if (!c || kzdb::exec(*c, kCreate) != 0) return -1;
    for (int i = 0; i < count; i++) {
        const AnprListEntry &e = entries[i];
        if (!has_plate(e)) return -1;
        kzdb::Stmt st(*c, sql);
        if (!st || !bind_field(st, 1, e.plate, sizeof e.plate)) return -1;
        if (sqlite3_bind_parameter_count(st.get()) > 1 && !bind_field(st, 2, e.type, sizeof e.type))
            return -1;
        if (st.step() != SQLITE_DONE) return -1;
        if (need_change && sqlite3_changes(c->handle) == 0) return -1;
    }
    return batch.commit();
}

constexpr const char *kDelete = "DELETE FROM anpr_list WHERE plate = ?";
constexpr const char *kReplace = "INSERT OR REPLACE INTO anpr_list(plate, type) VALUES(?, ?)";
constexpr const char *kInsert = "INSERT INTO anpr_list(plate, type) VALUES(?, ?)";
constexpr const char *kUpdate = "UPDATE anpr_list SET type = ?2 WHERE plate = ?1";

void copy_column(char *dst, size_t size, sqlite3_stmt *st, int col) {
    const auto *p = static_cast<const char *>(sqlite3_column_blob(st, col));
    const size_t n = static_cast<size_t>(sqlite3_column_bytes(st, col));
    const size_t k = n < size - 1 ? n : size - 1;
    if (k) std::memcpy(dst, p, k);
    dst[k] = '\0';
}

void entry_of(sqlite3_stmt *st, AnprListEntry *e) {
    *e = AnprListEntry{};
    copy_column(e->plate, sizeof e->plate, st, 0);
    copy_column(e->type, sizeof e->type, st, 1);
}

}  // namespace

const char *anpr_event_kind(int mode) {
    const int i = mode_index(mode);
    return i < 0 ? nullptr : kEventKinds[i];
}

const char *anpr_schedule_kind(AnprSchedule s, int mode) {
    const int i = mode_index(mode);
    return i < 0 ? nullptr : kScheduleKinds[static_cast<int>(s)][i];
}

const char *get_anpr_white_schedule_name(int mode) {
    return by_list(mode, "lpr_black_whiteled_esche", "lpr_white_whiteled_esche",
                   "lpr_vistor_whiteled_esche");
}
const char *get_anpr_white_params_name(int mode) {
    return by_list(mode, "lpr_black_white_led_params", "lpr_white_white_led_params",
                   "lpr_vistor_white_led_params");
}
const char *get_anpr_http_schedule_name(int mode) {
    return by_list(mode, "lpr_black_mode_http_notification_sche",
                   "lpr_white_mode_http_notification_sche",
                   "lpr_visitor_mode_http_notification_sche");
}
const char *get_anpr_http_params_name(int mode) {
    return by_list(mode, "lpr_black_mode_http_notification_params",
                   "lpr_white_mode_http_notification_params",
                   "lpr_visitor_mode_http_notification_params");
}

int read_anpr_event(const char *db, SmartEventRecord *out, int channel, int mode) {
    const char *kind = anpr_event_kind(mode);
    return kind ? kzdb::read_one(db, kind, out, channel) : -1;
}

int write_anpr_event(const char *db, const SmartEventRecord *rec, int mode) {
    const char *kind = anpr_event_kind(mode);
    return kind ? kzdb::write_one<&SmartEventRecord::channel>(db, kind, rec) : -1;
}

int read_anpr_effective_schedule(const char *db, ScheduleRecord *out, int channel, int mode) {
    return read_sched(AnprSchedule::Effective, db, out, channel, mode);
}
int read_anpr_audible_schedule(const char *db, ScheduleRecord *out, int channel, int mode) {
    return read_sched(AnprSchedule::Audible, db, out, channel, mode);
}
int read_anpr_mail_schedule(const char *db, ScheduleRecord *out, int channel, int mode) {
    return read_sched(AnprSchedule::Mail, db, out, channel, mode);
}
int read_anpr_ptz_schedule(const char *db, ScheduleRecord *out, int channel, int mode) {
    return read_sched(AnprSchedule::Ptz, db, out, channel, mode);
}
int write_anpr_effective_schedule(const char *db, const ScheduleRecord *rec, int channel,
                                  int mode) {
    return write_sched(AnprSchedule::Effective, db, rec, channel, mode);
}
int write_anpr_audible_schedule(const char *db, const ScheduleRecord *rec, int channel, int mode) {
    return write_sched(AnprSchedule::Audible, db, rec, channel, mode);
}
int write_anpr_mail_schedule(const char *db, const ScheduleRecord *rec, int channel, int mode) {
    return write_sched(AnprSchedule::Mail, db, rec, channel, mode);
}
int write_anpr_ptz_schedule(const char *db, const ScheduleRecord *rec, int channel, int mode) {
    return write_sched(AnprSchedule::Ptz, db, rec, channel, mode);
}

int delete_anpr_lists(const char *db, const AnprListEntry *entries, int count) {
    return run_each(db, kDelete, entries, count, false);
}
int delete_anpr_list(const char *db, const AnprListEntry *entry) {
    return run_each(db, kDelete, entry, 1, false);
}
int write_anpr_list_replace_batch(const char *db, const AnprListEntry *entries, int count) {
    return run_each(db, kReplace, entries, count, false);
}
int write_anpr_list(const char *db, const AnprListEntry *entry) {
    return run_each(db, kInsert, entry, 1, false);
}
int update_anpr_list(const char *db, const AnprListEntry *entry) {
    return run_each(db, kUpdate, entry, 1, true);
}

int read_anpr_list_plate(const char *db, AnprListEntry *out, const char *plate) {
    if (!out || !plate) return -1;
    *out = AnprListEntry{};
    kzdb::ReadLock lock(db);
    kzdb::Conn *c = lock.get();
    if (!c || kzdb::exec(*c, kCreate) != 0) return -1;
    kzdb::Stmt st(*c, "SELECT plate, type FROM anpr_list WHERE plate = ?");
    if (!st || !bind_field(st, 1, plate, sizeof out->plate)) return -1;
    int rc = st.step();
    if (rc == SQLITE_ROW) entry_of(st.get(), out);
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? 0 : -1;
}

int read_anpr_lists(const char *db, std::vector<AnprListEntry> *out) {
    if (!out) return -1;
    out->clear();
    kzdb::ReadLock lock(db);
    kzdb::Conn *c = lock.get();
    if (!c || kzdb::exec(*c, kCreate) != 0) return -1;
    // BINARY collation: byte order, whatever the texts hold.
    kzdb::Stmt st(*c, "SELECT plate, type FROM anpr_list ORDER BY plate");
    if (!st) return -1;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        out->emplace_back();
        entry_of(st.get(), &out->back());
    }
    return rc == SQLITE_DONE ? 0 : -1;
}
