// Named paths of the system module ("/json", "/oem", "/dw.cgi", "/ipc"), the
// empty upload entry /1019, the diagnostic bundle (/6310, /6311) and the
// alarm audio files (/6320 to /6325).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "handler.h"

Answer on_get_json_page(Request &rq);        // /json
Answer on_oem_upload(Request &rq);           // /oem
Answer on_download_refused(Request &rq);     // /dw.cgi
Answer on_set_camera_ip_plan(Request &rq);   // /ipc
Answer on_empty_upload(Request &rq);         // /1019
Answer on_get_diagnostic(Request &rq);       // /6310
Answer on_download_diagnostic(Request &rq);  // /6311
Answer on_get_audio_files(Request &rq);      // /6320
Answer on_upload_audio_file(Request &rq);    // /6321
Answer on_add_audio_file(Request &rq);       // /6322
Answer on_del_audio_files(Request &rq);      // /6323
Answer on_rename_audio_file(Request &rq);    // /6324
Answer on_play_audio_file(Request &rq);      // /6325

// The value of `key` ("lang") in a query "a=1&lang=en": from after "key="
// (at the start or after '&') to the next '&', cut to `max` characters.
std::string query_value(std::string_view query, std::string_view key, size_t max);
// The fragment of a language file between the page's markers, as /json
// answers it: "{\n", the lines, "\n}" (no closing when the file ends first;
// empty when the start marker is missing). nullopt when it cannot be opened.
std::optional<std::string> json_fragment(const std::string &host_file, const std::string &page,
                                         const std::string &sub);

// "a.b.c.d" of four decimal bytes; nullopt for anything else.
std::optional<std::array<int, 4>> parse_ipv4(std::string_view text);
