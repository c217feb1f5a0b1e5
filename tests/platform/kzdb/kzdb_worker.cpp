// Worker process of the concurrency tests (started like the programs under test, through
// NVR_EMULATOR, so it also runs under the target emulator, where fork() is not usable):
//   kzdb_worker FILE JOB INDEX COUNT
// Binds KZDB_PATH to FILE, waits until file descriptor 3 (the start gate, a pipe) reaches
// end of file, then runs JOB. Exit status 0 when every step succeeded, else the failed step.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kzdb_records.h"

namespace {

struct Counter {
    int32_t key;
    int32_t value;
};

// COUNT parameters and COUNT records, all keyed by INDEX so workers never share a key.
int job_params(int index, int count) {
    for (int i = 0; i < count; i++) {
        char key[32];
        std::snprintf(key, sizeof key, "p%d_%d", index, i);
        if (add_param_value(KZDB_PATH, key, key) != 0) return 1;
        Counter c{index * count + i, index};
        if (kzdb::store(KZDB_PATH, "counter", c.key, &c, sizeof c) != 0) return 2;
    }
    return 0;
}

// COUNT read-modify-write increments of "hits", each in its own batch.
int job_increment(int, int count) {
    for (int i = 0; i < count; i++) {
        kzdb::Batch batch(KZDB_PATH);
        int n = get_param_int(KZDB_PATH, "hits", -1000);
        if (set_param_int(KZDB_PATH, "hits", n + 1) != 0) return 1;
        if (batch.commit() != 0) return 2;
    }
    return 0;
}

// COUNT users named "p<INDEX>u<i>".
int job_add_user(int index, int count) {
    for (int i = 0; i < count; i++) {
        UserRecord u{};
        u.enable = 1;
        char name[32];
        std::snprintf(name, sizeof name, "p%du%d", index, i);
        kzdb::set_text(u.name, name);
        if (add_user(KZDB_PATH, &u) != 0) return 1;
    }
    return 0;
}

// COUNT writes of record (channel INDEX) = 0..COUNT-1, each its own transaction.
int job_channel(int index, int count) {
    for (int i = 0; i < count; i++) {
        Counter c{index, i};
        if (kzdb::store(KZDB_PATH, "channel", index, &c, sizeof c) != 0) return 1;
    }
    return 0;
}

// Opens a batch, writes "x" = "held" and waits inside it until killed.
int job_hold(int, int) {
    kzdb::Batch batch(KZDB_PATH);
    if (set_param_value(KZDB_PATH, "x", "held") != 0) return 1;
    pause();
    return 2;
}

void wait_for_gate() {
    char c;
    while (read(3, &c, 1) > 0) {
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 5) return 100;
    kzdb::bind_path(KZDB_PATH, argv[1]);
    int index = std::atoi(argv[3]);
    int count = std::atoi(argv[4]);
    wait_for_gate();
    if (std::strcmp(argv[2], "params") == 0) return job_params(index, count);
    if (std::strcmp(argv[2], "increment") == 0) return job_increment(index, count);
    if (std::strcmp(argv[2], "add-user") == 0) return job_add_user(index, count);
    if (std::strcmp(argv[2], "channel") == 0) return job_channel(index, count);
    if (std::strcmp(argv[2], "hold") == 0) return job_hold(index, count);
    return 101;
}
