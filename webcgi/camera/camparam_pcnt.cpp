// People-counting group settings and report auto-backup: store records, then
// a notice that the core answers.
#include <algorithm>

#include "camparam_shared.h"
#include "kzdb.h"
#include "kzdb_records_camera.h"

namespace {

constexpr unsigned char kLoose = kFieldBoth | kFieldLooseText;

constexpr Field kGroup[] = {
    FIELD(PeopleCntSettingsRecord, groupid, "groupid", kAnyInt, kFieldRender),
    FIELD(PeopleCntSettingsRecord, enable, "enable"),
    FIELD(PeopleCntSettingsRecord, name, "name", kAnyInt, kLoose),
    FIELD(PeopleCntSettingsRecord, stays, "stays"),
    FIELD(PeopleCntSettingsRecord, tri_channels, "tri_channels", kAnyInt, kLoose),
    FIELD(PeopleCntSettingsRecord, liveview_auto_reset, "liveview_auto_reset"),
    FIELD(PeopleCntSettingsRecord, auto_day, "auto_day"),
    FIELD(PeopleCntSettingsRecord, auto_day_time, "auto_day_time", kAnyInt, kLoose),
    FIELD(PeopleCntSettingsRecord, liveview_font_size, "liveview_font_size"),
    FIELD(PeopleCntSettingsRecord, liveview_green_tips, "liveview_green_tips", kAnyInt, kLoose),
    FIELD(PeopleCntSettingsRecord, liveview_red_tips, "liveview_red_tips", kAnyInt, kLoose),
    FIELD(PeopleCntSettingsRecord, dialog, "dialog"),
};

constexpr Field kReport[] = {
    FIELD(PeopleCntBackupRecord, report_type, "reportType", kAnyInt, kFieldRender),
    FIELD(PeopleCntBackupRecord, enable, "enable"),
    FIELD(PeopleCntBackupRecord, tri_channels, "triChannels", kAnyInt, kLoose),
    FIELD(PeopleCntBackupRecord, tri_groups, "triGroups", kAnyInt, kLoose),
    FIELD(PeopleCntBackupRecord, stay_length_type, "stayLengthType"),
    FIELD(PeopleCntBackupRecord, stay_length_value, "stayLengthValue"),
    FIELD(PeopleCntBackupRecord, backup_day, "backupDay"),
    FIELD(PeopleCntBackupRecord, backup_time, "backupTime", kAnyInt, kLoose),
    FIELD(PeopleCntBackupRecord, file_format, "fileFormat"),
    FIELD(PeopleCntBackupRecord, time_range, "timeRange"),
    FIELD(PeopleCntBackupRecord, backup_to, "backupTo"),
    FIELD(PeopleCntBackupRecord, line_mask, "lineMask", kAnyInt, kLoose),
    FIELD(PeopleCntBackupRecord, email, "email", kAnyInt, kLoose),
};

// {"<list>": [n records]} of a keyed record family.
template <class R, int (*Read)(const char *, R *, int)>
Answer render_all(const char *list, int n, int32_t R::*member, std::span<const Field> fields) {
    JsonPtr items(json_object_new_array());
    for (int key = 0; key < n; ++key)
        json_object_array_add(items.get(),
                              fields_render(fields, read_keyed<R, Read>(key, member)).release());
    JsonOut o;
    o.add(list, items.release());
    return Answer::json(o);
}

// Applies item i of `list` to record i (at most n), all in one transaction; -1 on a
// bad value or a failed write (nothing kept).
template <class R, int (*Read)(const char *, R *, int), int (*Write)(const char *, const R *)>
int store_all(json_object *req, const char *list, int n, int32_t R::*member,
              std::span<const Field> fields) {
    json_object *items = json_get_array(req, list);
    if (!items) return -1;
    kzdb::Batch batch(KZDB_PATH);
    size_t count = std::min(json_len(items), static_cast<size_t>(n));
    for (size_t i = 0; i < count; ++i) {
        json_object *item = json_at(items, i);
        if (!json_object_is_type(item, json_type_object)) continue;
        R rec = read_keyed<R, Read>(static_cast<int>(i), member);
        if (!fields_apply(fields, item, rec) || Write(KZDB_PATH, &rec) != 0) return -1;
    }
    return batch.commit();
}

}  // namespace

Answer on_cgi_get_peoplecnt_settings(Request &) {
    return render_all<PeopleCntSettingsRecord, read_peoplecnt_settings>(
        "groups", KZDB_PCNT_GROUPS, &PeopleCntSettingsRecord::groupid, kGroup);
}

Answer on_cgi_set_peoplecnt_settings(Request &rq) {
    int rc = store_all<PeopleCntSettingsRecord, read_peoplecnt_settings, write_peoplecnt_settings>(
        rq.json(), "groups", KZDB_PCNT_GROUPS, &PeopleCntSettingsRecord::groupid, kGroup);
    if (rc != 0) return Answer::error(CGI_JSON);
    return cgi_query(MSG_PCNT_SETTINGS_SAVED, int32_t{0}, render_res, Answer::error(CGI_JSON));
}

Answer on_cgi_get_report_auto_backup(Request &) {
    return render_all<PeopleCntBackupRecord, read_peoplecnt_auto_backup>(
        "report", KZDB_PCNT_REPORTS, &PeopleCntBackupRecord::report_type, kReport);
}

Answer on_cgi_set_report_auto_backup(Request &rq) {
    int rc =
        store_all<PeopleCntBackupRecord, read_peoplecnt_auto_backup, write_peoplecnt_auto_backup>(
            rq.json(), "report", KZDB_PCNT_REPORTS, &PeopleCntBackupRecord::report_type, kReport);
    if (rc != 0) return Answer::error(CGI_JSON);
    return cgi_query(MSG_PCNT_BACKUP_SAVED, nullptr, 0, render_res, Answer::error(CGI_JSON));
}
