// The answer most relay gets share: the first whole record of the core's reply as JSON,
// else the JSON error. Header-only, so the analytics codes can use it as well.
#pragma once

#include <functional>
#include <span>

#include "answer.h"
#include "cgi_response.h"
#include "field_map.h"
#include "query.h"

// The first whole T of `r` rendered by `render`, or `fail` when the reply holds none.
template <class T>
Answer first_record_answer(const ReplyView &r, const std::function<JsonPtr(const T &)> &render,
                           Answer fail = Answer::error(CGI_JSON)) {
    T rec{};
    if (!r.get(0, rec)) return fail;
    return Answer::json(render(rec).get());
}

// Sends `request` as `type`, waits, and answers the reply's first whole T through `render`;
// `fail` when no reply came or it holds no whole record.
template <class T, class Req>
Answer query_first_record(int type, const Req &request,
                          const std::function<JsonPtr(const T &)> &render,
                          Answer fail = Answer::error(CGI_JSON)) {
    return cgi_query(
        type, request, [&](const ReplyView &r) { return first_record_answer<T>(r, render, fail); },
        fail);
}

// The same with the record's field map as the render.
template <class T, class Req>
Answer query_first_record(int type, const Req &request, std::span<const Field> fields,
                          Answer fail = Answer::error(CGI_JSON)) {
    return query_first_record<T>(type, request,
                                 std::function<JsonPtr(const T &)>(
                                     [fields](const T &rec) { return fields_render(fields, rec); }),
                                 fail);
}
