// The boot loader's redundant environment on "/dev/mtd1": two copies, each a
// CRC-32 of its data area, a flag byte and NUL-separated name=value strings.
// The environment is loaded once per process and held in memory; changes are
// made in memory and written to both copies by one commit.
#pragma once

#include <cstdint>

constexpr uint32_t kEnvCopySize = 0x10000;
constexpr uint32_t kEnvCopy1Offset = 0x0;
constexpr uint32_t kEnvCopy2Offset = 0x10000;
constexpr uint32_t kEnvDataSize = kEnvCopySize - 5;  // less the CRC and the flag byte

// Loads the environment, choosing the active copy (the default environment
// when neither copy is valid). Returns 0, or -1 when the device cannot be read.
// Calling it again after a successful load does nothing.
int env_init();
// Releases the in-memory environment; the next access loads it again.
void env_deinit();
int kz_env_init();
void kz_env_deinit();

// Value of `name`, or null. Loads the environment if needed. The pointer stays
// valid until the environment is next changed or released.
const char *hs_getenv(const char *name);
const char *kz_getenv(const char *name);

// Sets `name` (deletes it when `value` is null or empty) and writes the
// environment to flash at once. Returns 0, or -1 on overflow (nothing
// changed) or write failure (memory keeps the change).
int hs_setenv(const char *name, const char *value);
int kz_setenv(const char *name, const char *value);

// Prints every name=value pair on its own line. Returns 0 or -1.
int hs_printenv();

// In-memory change only, for callers that change several variables and then
// write them with one env_commit(). Same results as hs_setenv.
int env_set(const char *name, const char *value);
// Writes the in-memory environment to both copies. Returns 0 or -1.
int env_commit();

// Which copy was active at load (1 or 2) and its flag; for diagnostics.
int env_active_copy();
uint8_t env_active_flag();
