// Licence-plate recognition in the store: the event record and schedules of each list mode
// (in the configuration store), the linked-table names of a mode, and the plate list (in
// its own database, KZDB_ANPR_PATH) with its CSV form.
//
// Modes: -1 the general plate event, 0 black list, 1 white list, 2 visitor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kzdb.h"
#include "kzdb_records_event.h"
#include "kzdb_records_smart.h"

inline constexpr int ANPR_MODE_FIRST = -1;
inline constexpr int ANPR_MODE_LAST = 2;
inline constexpr int ANPR_MODES = 4;
// PTZ-link event type of list mode `mode`.
inline constexpr int anpr_ptz_type(int mode) {
    return mode + 15;
}

// ---- Event record and schedules by (channel, mode) --------------------------------------

// Which schedule of a mode.
enum class AnprSchedule : unsigned char { Effective, Audible, Mail, Ptz };

// Store kind of the event record of `mode`, or null outside -1..2.
const char *anpr_event_kind(int mode);
// Store kind of schedule `s` of `mode`, or null outside -1..2.
const char *anpr_schedule_kind(AnprSchedule s, int mode);
// White-LED schedule and list, HTTP-notification schedule and record names of `mode`; every
// mode other than 0 and 1 uses the visitor tables.
const char *get_anpr_white_schedule_name(int mode);
const char *get_anpr_white_params_name(int mode);
const char *get_anpr_http_schedule_name(int mode);
const char *get_anpr_http_params_name(int mode);

// 0 when found; -1 when nothing is stored, the mode is outside -1..2 or the read failed
// (out untouched then).
int read_anpr_event(const char *db, SmartEventRecord *out, int channel, int mode);
// Stores `rec` under (rec->channel, mode). 0 / -1.
int write_anpr_event(const char *db, const SmartEventRecord *rec, int mode);

int read_anpr_effective_schedule(const char *db, ScheduleRecord *out, int channel, int mode);
int read_anpr_audible_schedule(const char *db, ScheduleRecord *out, int channel, int mode);
int read_anpr_mail_schedule(const char *db, ScheduleRecord *out, int channel, int mode);
int read_anpr_ptz_schedule(const char *db, ScheduleRecord *out, int channel, int mode);
int write_anpr_effective_schedule(const char *db, const ScheduleRecord *rec, int channel, int mode);
int write_anpr_audible_schedule(const char *db, const ScheduleRecord *rec, int channel, int mode);
int write_anpr_mail_schedule(const char *db, const ScheduleRecord *rec, int channel, int mode);
int write_anpr_ptz_schedule(const char *db, const ScheduleRecord *rec, int channel, int mode);

// ---- Plate list (KZDB_ANPR_PATH) ---------------------------------------------------------

inline constexpr int ANPR_LIST_MAX = 10000;  // entries one request may carry

struct AnprListEntry {
    char type[16];   // the list the plate belongs to, as the client names it
    char plate[64];  // the key
};
static_assert(sizeof(AnprListEntry) == 80);
static_assert(offsetof(AnprListEntry, plate) == 16);

// Each is one transaction; 0, or -1 (nothing changed) when the store failed or an entry has
// an empty plate. Texts are stored byte for byte up to their field's end.
int delete_anpr_lists(const char *db, const AnprListEntry *entries, int count);
int delete_anpr_list(const char *db, const AnprListEntry *entry);
// Adds the entries; an entry whose plate is stored replaces it.
int write_anpr_list_replace_batch(const char *db, const AnprListEntry *entries, int count);
// Adds one entry (-1 when its plate is already stored).
int write_anpr_list(const char *db, const AnprListEntry *entry);
// Sets the type of the stored entry of entry->plate (-1 when none is stored).
int update_anpr_list(const char *db, const AnprListEntry *entry);
// The entry of `plate` into *out; out->plate is "" when the plate is unknown. 0 / -1.
int read_anpr_list_plate(const char *db, AnprListEntry *out, const char *plate);
// Every entry, ordered by plate (byte order). 0 / -1.
int read_anpr_lists(const char *db, std::vector<AnprListEntry> *out);

// ---- Plate list as CSV ----------------------------------------------------------------------

// The list as CSV: header "type,plate", one row per entry, every row ended by CR LF; a field
// holding a comma, quote, CR or LF, or beginning or ending with a blank, is quoted.
std::string anpr_csv_write(const std::vector<AnprListEntry> &entries);

// One parsed data row: its fields and the line it began on (from 1).
struct CsvRow {
    std::vector<std::string> fields;
    int line;
};
// Splits CSV text into rows (CR LF or LF line ends, a leading UTF-8 byte-order mark
// skipped, empty lines skipped). False when a quoted field is not closed.
bool csv_parse(std::string_view text, std::vector<CsvRow> *rows);

// Why a plate or type text cannot be stored: an empty plate, or a byte below 0x20 in
// either (it would cut the stored text short or break the list's lines). Null when fine.
const char *anpr_entry_refusal(std::string_view type, std::string_view plate);

// The entries of parsed rows (a first row "type,plate" is the header); a refused row is
// reported into `refused` with its line number and skipped. Texts are cut to their fields.
struct CsvImport {
    std::vector<AnprListEntry> entries;
    std::vector<std::string> refused;  // "line N: why"
};
CsvImport anpr_csv_entries(const std::vector<CsvRow> &rows);
