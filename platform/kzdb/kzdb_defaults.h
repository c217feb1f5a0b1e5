// Factory defaults of a fresh device's store (`kzdb init`).
#pragma once

namespace kzdb {

inline constexpr const char *kAdminName = "admin";
inline constexpr const char *kAdminPassword = "admin";
// What the store keeps for kAdminPassword: the client sends (and the login compares) the
// MD5 digest of the password in lower-case hex (the sign-in "md5" and the user record password
// field).
inline constexpr const char *kAdminPasswordMd5 = "21232f297a57a5a743894a0e4a801fc3";

struct InitReport {
    int added = 0;  // defaults stored now
    int kept = 0;   // defaults already stored, left as they were
};

// Creates the schema of `db` and stores every factory default (parameters and records)
// that is not stored yet; stored values are kept, so running it twice changes nothing.
// One transaction. Returns 0, or -1 (nothing stored) when the database cannot be written.
int init_defaults(const char *db, InitReport *report);

// Defaults of one area, called by init_defaults inside its transaction. 0 / -1.
int init_defaults_storage(const char *db);
int init_defaults_camparam(const char *db);

}  // namespace kzdb
