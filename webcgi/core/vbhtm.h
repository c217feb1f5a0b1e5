// "/vb.htm": small option interpreter for factory and maintenance tools.
// Query "name=value&name=value" (or one bare option such as "softversion");
// every option answers its own text reply, one after the other in one body.
#pragma once

struct HttpOption {
    char name[64];
    char value[64];
};
static_assert(sizeof(HttpOption) == 128);

#include <string>

#include "handler.h"

// Appends the option's reply (header and text) to `out`.
using HttpOptionHandler = void (*)(const HttpOption &opt, std::string &out);

struct HttpOptionEntry {
    const char *name;
    HttpOptionHandler handler;
    const HttpOptionEntry *next;  // chain of the hash bucket
};

inline constexpr int CMD_HASH_SIZE = 64;

// The bucket index of an option name (h = h * 37 + c, modulo 64).
unsigned http_option_hash(const char *name);
// Splits the query into at most `max` options. Returns the number of options,
// 0 when the query holds no '=', or -1 when a name or value character lies
// beyond the 64th character of the query.
int ui_decodeing(const char *query, HttpOption *opts, int max);

// The options of a whole query: one bare option ("softversion") with value
// "1", or the decoded name=value pairs. Same results as ui_decodeing.
int vb_parse_request(const char *text, HttpOption *opts, int max);

// Handler of "/vb.htm".
Answer on_cgi_vb_htm(Request &rq);
