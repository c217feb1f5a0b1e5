#include "fw_env.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "env_store.h"

const char *fw_getenv(const char *name) {
    return hs_getenv(name);
}

int fw_printenv(int argc, char *const argv[]) {
    if (env_init() != 0) return -1;
    if (argc <= 1) return hs_printenv();
    bool bare = std::strcmp(argv[1], "-n") == 0;
    if (bare && argc != 3) {
        std::fprintf(stderr, "## Error: `-n' option requires exactly one argument\n");
        return -1;
    }
    int rc = 0;
    for (int i = bare ? 2 : 1; i < argc; ++i) {
        const char *value = hs_getenv(argv[i]);
        if (!value) {
            std::fprintf(stderr, "## Error: \"%s\" not defined\n", argv[i]);
            rc = -1;
            continue;
        }
        if (bare)
            std::printf("%s\n", value);
        else
            std::printf("%s=%s\n", argv[i], value);
    }
    return rc;
}

int fw_setenv(int argc, char *const argv[]) {
    if (argc < 2 || !argv[1][0]) {
        std::fprintf(stderr, "## Error: variable name missing\n");
        return -1;
    }
    const char *name = argv[1];
    if (std::strcmp(name, "serial#") == 0) {
        std::fprintf(stderr, "Can't overwrite \"%s\"\n", name);
        return -1;
    }
    std::string value;
    for (int i = 2; i < argc; ++i) {
        if (i > 2) value += ' ';
        value += argv[i];
    }
    return hs_setenv(name, value.c_str());
}
