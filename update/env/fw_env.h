// Argument-vector forms of the environment commands: argv[0] is the command
// name, the variables and values follow.
#pragma once

// Value of `name` or null (as hs_getenv).
const char *fw_getenv(const char *name);
// No names: every pair. "-n NAME": the bare value of exactly one variable.
// Returns 0, or -1 when a name is not set or "-n" is misused.
int fw_printenv(int argc, char *const argv[]);
// argv[1] is the name; argv[2..] joined with single blanks are the value (no
// value deletes). "serial#" is never overwritten. Returns 0 or -1.
int fw_setenv(int argc, char *const argv[]);
