// The update run: verify the image, write every entry due to its partition
// (the kernel and file system into the slots not booted now), then point the
// boot loader at those slots. The result goes to "/mnt/nand/upfw.log".
#pragma once

#include "flash_writer.h"

// Result codes of the run (the log carries the code and its message).
enum UpfwResult {
    kUpfwOk = 0,
    kUpfwFail = -1,
    kUpfwVerifyFail = -2,
    kUpfwAnalysisFail = -3,
    kUpfwPtbFail = -4,
    kUpfwBldFail = -5,
    kUpfwKernelFail = -8,
    kUpfwFilesysFail = -9,
    kUpfwMismatch = -14,
};

// Runs the update from `path`. Returns one of the codes above; the boot
// slots are flipped only when it returns 0.
int UPFW_run_update(const char *path);

// The message logged with a result code ("unknow error!" for others).
const char *upfw_result_message(int code);

// Replaces "/mnt/nand/upfw.log" with "%d\n" + text (text cut to 255
// characters, also written to standard error). Returns 0 or -1.
int UPFW_log(int code, const char *text);

// Called before each job is written; null outside tests.
extern void (*g_upfw_before_job)(const WriteJob &job);
