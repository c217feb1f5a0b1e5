// Running device tools, and the file helpers handlers use.
//
// Commands made only of fixed text may go through web_system (a shell).
// Anything that carries request, upload or reply text goes through
// run_argv (no shell; each value one literal argument).
#pragma once

#include <memory>
#include <string>
#include <string_view>

// Runs `command` with /bin/sh -c. 0 only when it ran and exited with status
// 0; -1 when the shell could not start, a signal ended it or it exited
// non-zero. Never give it outside text.
int web_system(const char *command);
// Runs argv[0] (looked up in PATH) with the given arguments and no shell.
// Same result contract as web_system. argv ends with a null pointer. Like
// web_system and run_argv_detached, the tool's standard output is dropped
// (the request's own is its answer).
int run_argv(const char *const argv[]);
// As run_argv, but collects up to `max` bytes of the program's standard
// output into `out` (the rest is read and dropped so the tool never blocks).
int run_argv_output(const char *const argv[], std::string &out, size_t max = 64 * 1024);
// Runs "`program` `mode`", a program shipped in webcgi's own folder, with
// `input` on its standard input and `fd3` (when >= 0) as its descriptor 3;
// up to `max` bytes of its standard output go to `out`. Its exit status
// (0..255), or -1 when it could not start or a signal ended it. NVR_EMULATOR,
// when set, holds the words that start a program of the build (the target
// build's tests run under user-mode emulation).
int run_companion(const char *program, const char *mode, std::string_view input, int fd3,
                  std::string &out, size_t max);
// Starts argv in the background (no wait); 0 when it started.
int run_argv_detached(const char *const argv[]);
// `value` single-quoted for a shell line, for the rare place where a shell
// feature is unavoidable.
std::string shell_quote(std::string_view value);

// Exclusive lock on a lock file (created 0600, never through a symlink);
// waits until free. Returns the descriptor, or -1.
int file_lock(const char *path);
void file_unlock(int fd);

// 0 when the device path is a directory (links not followed), else -1.
int IsDirExisted(const char *path);
// 0 when the device path exists, else -1.
int IsFileExisted(const char *path);
// Moves a device path (across file systems too). 0, or -1 on failure or a
// null argument.
int RemoveFile(const char *from, const char *to);
// Removes a device path. 0, or -1 on failure or a null argument.
int DeleteFile(const char *path);

// Whole file (device path) into a new buffer, NUL-terminated for text use;
// *size gets its length. Null (size 0) when it cannot be read.
std::unique_ptr<char[]> kz_get_file_data(const char *path, int *size);
// Writes (truncating) a device path. 0 when every byte was written, else -1.
int kz_wirte_file_data(const char *path, const void *data, size_t length);
