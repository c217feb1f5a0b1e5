// The answer most relayed gets share: the first whole record of the core's reply as JSON,
// else an error (the JSON error unless said). The record is read onto the heap: some are
// tens of kilobytes.
#pragma once

#include <functional>
#include <memory>
#include <span>

#include "answer.h"
#include "cgi_response.h"
#include "field_map.h"
#include "query.h"

// Renders a reply record; it may adjust the record first (coordinates back to the client's).
template <class T>
using RecordRender = std::function<JsonPtr(T &)>;

// The first whole T of `r` rendered by `render`, or `fail` when the reply holds none.
template <class T>
Answer first_record_answer(const ReplyView &r, const RecordRender<T> &render,
                           Answer fail = Answer::error(CGI_JSON)) {
    auto rec = std::make_unique<T>();
    if (!r.get(0, *rec)) return fail;
    return Answer::json(render(*rec).get());
}

// Sends `request` as `type`, waits for `reply_type` (0: the usual reply), and answers the
// reply's first whole T through `render`; `fail` when no reply came or it holds no record.
template <class T, class Req>
Answer query_first_record(int type, const Req &request, const RecordRender<T> &render,
                          Answer fail = Answer::error(CGI_JSON), uint32_t reply_type = 0) {
    return cgi_query(
        type, request, [&](const ReplyView &r) { return first_record_answer<T>(r, render, fail); },
        fail, reply_type);
}

// The same with the record's field map as the render.
template <class T, class Req>
Answer query_first_record(int type, const Req &request, std::span<const Field> fields,
                          Answer fail = Answer::error(CGI_JSON)) {
    return query_first_record<T>(
        type, request, RecordRender<T>([fields](T &rec) { return fields_render(fields, rec); }),
        fail);
}
