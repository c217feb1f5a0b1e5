// Log search, entry text, type list and CSV export (codes /1002, /1003,
// /1015, /1021, /1022).
#pragma once

#include "handler.h"

// Exists while an export runs (/1022 looks for it).
inline constexpr const char *kLogExportMarker = "/tmp/log/log_web";

Answer on_get_log_info(Request &rq);
Answer on_download_logfile(Request &rq);
Answer on_get_log_type_list(Request &rq);
Answer on_get_log_details(Request &rq);
Answer on_check_download_log(Request &rq);
