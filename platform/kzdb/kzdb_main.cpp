// kzdb: command-line tool over the configuration store (contract of issue 2, keep exactly):
//   kzdb [--db FILE] init | get-param KEY | set-param KEY VALUE | dump KIND [KEY]
//   kzdb plates-export [FILE] | plates-import FILE    (the plate list, CSV)
// The database is KZDB_PATH under NVR_ROOT, or the host file FILE as given.
// Exit status: 0 done, 1 failed or absent, 2 bad command line (usage on stderr).
#include <charconv>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kzdb.h"
#include "kzdb_defaults.h"
#include "kzdb_records.h"
#include "kzdb_records_anpr.h"

namespace {

using Args = std::span<char *const>;

constexpr const char *kUsage =
    "usage: kzdb [--db FILE] init\n"
    "       kzdb [--db FILE] get-param KEY\n"
    "       kzdb [--db FILE] set-param KEY VALUE\n"
    "       kzdb [--db FILE] dump KIND [KEY]\n"
    "       kzdb plates-export [CSV]\n"
    "       kzdb plates-import CSV\n"
    "FILE defaults to /mnt/nand/app/kzdb.db under NVR_ROOT.\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int fail(const char *what, std::string_view detail) {
    std::fprintf(stderr, "kzdb: %s: %.*s\n", what, static_cast<int>(detail.size()), detail.data());
    return 1;
}

bool parse_int(const char *text, int *out) {
    const char *end = text + std::strlen(text);
    auto [p, ec] = std::from_chars(text, end, *out);
    return ec == std::errc() && p == end && p != text;
}

void report_admin(const char *db) {
    UserRecord u{};
    u.id = -1;
    bool ours = read_user_by_name(db, &u, kzdb::kAdminName) == 0 &&
                std::strcmp(u.password, kzdb::kAdminPasswordMd5) == 0;
    if (ours) {
        std::printf(
            "administrator account: user \"%s\", password \"%s\" (stored as its MD5 "
            "digest %s, as the client sends it)\n",
            kzdb::kAdminName, kzdb::kAdminPassword, kzdb::kAdminPasswordMd5);
    } else {
        std::printf(
            "administrator account: existing users kept; no user \"%s\" with "
            "password \"%s\" is stored\n",
            kzdb::kAdminName, kzdb::kAdminPassword);
    }
}

int cmd_init(Args) {
    kzdb::InitReport r;
    if (kzdb::init_defaults(KZDB_PATH, &r) != 0) {
        return fail("cannot initialise", kzdb::host_path(KZDB_PATH));
    }
    std::printf("store %s ready (schema version %d): %d defaults added, %d kept\n",
                kzdb::host_path(KZDB_PATH).c_str(), kzdb::kSchemaVersion, r.added, r.kept);
    report_admin(KZDB_PATH);
    return 0;
}

int cmd_get_param(Args a) {
    std::string value;
    if (kzdb::read_param(KZDB_PATH, a[0], &value) != 0) return fail("no parameter", a[0]);
    std::printf("%s\n", value.c_str());
    return 0;
}

int cmd_set_param(Args a) {
    if (add_param_value(KZDB_PATH, a[0], a[1]) != 0) return fail("cannot set", a[0]);
    return 0;
}

void print_hex(int key, std::span<const unsigned char> data) {
    std::printf("%d ", key);
    for (unsigned char b : data)
        std::printf("%02x", b);
    std::printf("\n");
}

int cmd_dump(Args a) {
    int want = 0;
    bool one = a.size() == 2;
    if (one && !parse_int(a[1], &want)) return usage();
    int shown = 0;
    int rc = kzdb::scan(KZDB_PATH, a[0], [&](int key, std::span<const unsigned char> data) {
        if (one && key != want) return 0;
        print_hex(key, data);
        shown++;
        return one ? 1 : 0;
    });
    if (rc != 0) return fail("cannot read", kzdb::host_path(KZDB_PATH));
    if (one && shown == 0) return fail("no record", std::string(a[0]) + " " + a[1]);
    return 0;
}

// The plate list of the plate database (under NVR_ROOT) as CSV, to the file or stdout.
int cmd_plates_export(Args a) {
    std::vector<AnprListEntry> entries;
    if (read_anpr_lists(KZDB_ANPR_PATH, &entries) != 0)
        return fail("cannot read", kzdb::host_path(KZDB_ANPR_PATH));
    const std::string csv = anpr_csv_write(entries);
    FILE *f = a.empty() ? stdout : std::fopen(a[0], "wbe");
    if (!f) return fail("cannot write", a[0]);
    bool ok = std::fwrite(csv.data(), 1, csv.size(), f) == csv.size();
    ok = (a.empty() ? std::fflush(f) : std::fclose(f)) == 0 && ok;
    return ok ? 0 : fail("cannot write", a.empty() ? "standard output" : a[0]);
}

bool read_whole(const char *path, std::string *out) {
    FILE *f = std::fopen(path, "rbe");
    if (!f) return false;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out->append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// Adds the plates of a CSV file in one transaction; refused rows are reported and skipped.
int cmd_plates_import(Args a) {
    std::string text;
    if (!read_whole(a[0], &text)) return fail("cannot read", a[0]);
    std::vector<CsvRow> rows;
    if (!csv_parse(text, &rows)) return fail("not CSV (unterminated quote)", a[0]);
    CsvImport in = anpr_csv_entries(rows);
    for (const std::string &why : in.refused)
        std::fprintf(stderr, "kzdb: refused %s\n", why.c_str());
    const int n = static_cast<int>(in.entries.size());
    if (n > 0 && write_anpr_list_replace_batch(KZDB_ANPR_PATH, in.entries.data(), n) != 0)
        return fail("cannot write", kzdb::host_path(KZDB_ANPR_PATH));
    std::printf("%d imported, %zu refused\n", n, in.refused.size());
    return 0;
}

struct Command {
    const char *name;
    size_t min_args;
    size_t max_args;
    int (*run)(Args);
};

constexpr Command kCommands[] = {
    {"init", 0, 0, cmd_init},
    {"get-param", 1, 1, cmd_get_param},
    {"set-param", 2, 2, cmd_set_param},
    {"dump", 1, 2, cmd_dump},
    {"plates-export", 0, 1, cmd_plates_export},
    {"plates-import", 1, 1, cmd_plates_import},
};

}  // namespace

int main(int argc, char **argv) {
    Args args(argv + 1, argc > 1 ? static_cast<size_t>(argc - 1) : 0);
    if (!args.empty() && std::strcmp(args[0], "--db") == 0) {
        if (args.size() < 2 || !*args[1]) return usage();
        kzdb::bind_path(KZDB_PATH, args[1]);
        args = args.subspan(2);
    }
    if (args.empty()) return usage();
    for (const Command &c : kCommands) {
        if (std::strcmp(args[0], c.name) != 0) continue;
        Args rest = args.subspan(1);
        if (rest.size() < c.min_args || rest.size() > c.max_args) return usage();
        return c.run(rest);
    }
    return usage();
}
