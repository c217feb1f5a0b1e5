// The generic pass-through handler and the reply renderers the rows name.
#include "passthrough.h"

#include <cstring>
#include <vector>

#include "camparam_rows.h"
#include "camparam_shared.h"
#include "ptz_rows.h"

std::span<const PassRow> camera_pass_rows() {
    return camparam::kCameraRows;
}
std::span<const PassRow> ptz_pass_rows() {
    return ptz::kPtzRows;
}

const PassRow *find_pass_row(const char *code) {
    for (auto rows : {camera_pass_rows(), ptz_pass_rows()})
        for (const PassRow &r : rows)
            if (std::strcmp(r.code, code) == 0) return &r;
    return nullptr;
}

Answer fail_answer(Fail f) {
    return f == Fail::None        ? Answer::none()
           : f == Fail::TextError ? Answer::error(CGI_TEXT)
                                  : Answer::error(CGI_JSON);
}

namespace {

Answer first_word(const PassRow &row, const ReplyView &r) {
    int32_t word;
    if (!r.read(0, word)) return Answer::error(CGI_JSON);
    if (row.shape == Shape::OkError) return Answer::text(word == 0 ? "OK" : "ERROR");
    JsonOut o;
    o.add(row.key ? row.key : "res", word);
    return Answer::json(o);
}

Answer list(const PassRow &row, const ReplyView &r) {
    size_t n = row.elem ? r.size() / row.elem : 0;
    if (n == 0) return Answer::error(CGI_JSON);
    if (row.cap && n > row.cap) n = row.cap;
    JsonPtr items(json_object_new_array());
    for (size_t i = 0; i < n; ++i) {
        json_object *o = json_object_new_object();
        fields_render_into(row.reply, r.bytes().data() + i * row.elem, o);
        json_object_array_add(items.get(), o);
    }
    if (!row.key) return Answer::json(json_object_to_json_string(items.get()));
    JsonOut out;
    out.add(row.key, items.release());
    return Answer::json(out);
}

}  // namespace

Answer render_row(const PassRow &row, const ReplyView &r) {
    switch (row.shape) {
        case Shape::Res:
        case Shape::OkError:
            return first_word(row, r);
        case Shape::List:
            return list(row, r);
        case Shape::Text: {
            if (r.size() == 0) return Answer::error(CGI_JSON);
            const char *text = reinterpret_cast<const char *>(r.bytes().data());
            JsonOut o;
            o.add(row.key, json_text(text, r.size() < row.elem ? r.size() : row.elem));
            return Answer::json(o);
        }
        default: {
            if (r.size() < row.elem) return Answer::error(CGI_JSON);
            JsonPtr o(json_object_new_object());
            fields_render_into(row.reply, r.bytes().data(), o.get());
            return Answer::json(o.get());
        }
    }
}

Answer on_pass_through(Request &rq) {
    const PassRow *row = find_pass_row(rq.code);
    if (!row) return Answer::none();
    json_object *req = rq.json();
    if (!req && row->needs_json) return Answer::none();
    std::vector<unsigned char> payload(row->req_size);
    if (row->chan_key && payload.size() >= sizeof(int32_t)) {
        IntRead chn = json_read_int(req, row->chan_key, row->chan_range);
        if (!chn) return fail_answer(row->bad);
        int32_t v = chn.value;
        std::memcpy(payload.data(), &v, sizeof v);
    }
    if (fields_apply_raw(row->req, req, payload.data())) return fail_answer(row->bad);
    if (row->shape == Shape::NoWait || row->shape == Shape::NoWaitOk) {
        cgi_notify(row->type, payload.data(), payload.size());
        return row->shape == Shape::NoWait ? Answer::none() : Answer::text("OK");
    }
    return cgi_query(
        row->type, payload.data(), payload.size(),
        [row](const ReplyView &r) { return render_row(*row, r); }, fail_answer(row->no_reply));
}

Answer render_res(const ReplyView &r) {
    static constexpr PassRow kRes{.code = "", .shape = Shape::Res};
    return render_row(kRes, r);
}

Answer render_ok_error(const ReplyView &r) {
    static constexpr PassRow kOkError{.code = "", .shape = Shape::OkError};
    return render_row(kOkError, r);
}
