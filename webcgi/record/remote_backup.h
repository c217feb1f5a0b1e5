// Remote backup writer of the download: frames arrive in chunks on the socket library's
// thread, are rebuilt, queued (at most 10 MiB) and written to the AVI writer by the task
// "remote_backup", which owns the output stream while it runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "record_msgs.h"

inline constexpr size_t REMOTE_BACKUP_QUEUE_BYTES = 0xA00000;  // 10 MiB of queued frames
inline constexpr int REMOTE_BACKUP_FULL_WAITS = 25;            // x 40 ms, then the frame drops
inline constexpr int REMOTE_BACKUP_IDLE_MS = 60000;            // the task stops without frames

// Opens the AVI writer on `out` (announcing `span_seconds`) and starts the task. 0, or -1
// when a writer is already open or the task cannot start.
int remote_backup_kzfs_open(FILE *out, int span_seconds);
// One chunk of a frame: `avail` bytes of `data` hold it. Offset 0 starts a frame (one of
// 1..10 MiB; others are dropped); chunks while no frame is being built are ignored. A full
// frame is queued. 0, or -1 when the frame was refused (the download goes on).
int remote_backup_kzfs_write(const FrameHeader &head, int32_t offset, int32_t size,
                             const unsigned char *data, size_t avail);
// Stops the task without waiting for the queue.
int remote_backup_kzfs_interrup();
// Requests the stop once the queue is drained, joins the task, closes the AVI writer.
int remote_backup_kzfs_close();
// 1 while the task runs.
int remote_backup_task_run_status();
// The download-finished flag (the core's end marker, an interruption, no writer).
void remote_backup_mark_finished();
// Blocks until the flag is set or the task has stopped.
void remote_backup_wait();

int remote_backup_open();
int remote_backup_write();
int remote_backup_close();
