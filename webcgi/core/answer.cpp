#include "answer.h"

#include <cstdio>

#include "cgi_form.h"
#include "cgi_json.h"
#include "cgi_response.h"

Answer Answer::body_of(int kind, std::string body) {
    Answer a;
    a.what_ = Kind::Body;
    a.kind_ = kind;
    a.body_ = std::move(body);
    return a;
}

Answer Answer::json(const JsonOut &out) {
    return json(std::string(out.text()));
}

Answer Answer::json(json_object *obj) {
    return json_as(1, obj);
}

Answer Answer::json_as(int kind, json_object *obj) {
    const char *s = obj ? json_object_to_json_string(obj) : "null";
    return body_of(kind, s ? s : "");
}

Answer Answer::error(int kind) {
    Answer a;
    a.what_ = Kind::Error;
    a.kind_ = kind;
    return a;
}

Answer Answer::raw(std::string bytes) {
    Answer a;
    a.what_ = Kind::Raw;
    a.body_ = std::move(bytes);
    return a;
}

Answer Answer::download(std::string name, std::string bytes) {
    Answer a;
    a.what_ = Kind::Download;
    a.name_ = std::move(name);
    a.body_ = std::move(bytes);
    return a;
}

Answer Answer::stream(std::string name, std::function<void(const Sink &)> produce) {
    Answer a;
    a.what_ = Kind::Stream;
    a.name_ = std::move(name);
    a.produce_ = std::move(produce);
    return a;
}

Answer Answer::redirect(std::string location, std::vector<Cookie> cookies) {
    Answer a;
    a.what_ = Kind::Redirect;
    a.body_ = std::move(location);
    a.cookies_ = std::move(cookies);
    return a;
}

Answer Answer::status(std::string status_line, std::string json_body) {
    Answer a;
    a.what_ = Kind::Status;
    a.name_ = std::move(status_line);
    a.body_ = std::move(json_body);
    return a;
}

void Answer::write_and_finish() {
    switch (what_) {
        case Kind::None:
            break;
        case Kind::Body:
            cgi_writeback_webserver(kind_, body_);
            break;
        case Kind::Error:
            cgi_error_to_webserver(kind_);
            break;
        case Kind::Raw:
            std::fwrite(body_.data(), 1, body_.size(), stdout);
            break;
        case Kind::Download:
            cgi_write_download(name_.c_str(), body_.data(), body_.size());
            break;
        case Kind::Stream:
            cgi_write_download(name_.c_str(), nullptr, 0);
            if (produce_)
                produce_([](std::string_view piece) {
                    std::fwrite(piece.data(), 1, piece.size(), stdout);
                    std::fflush(stdout);
                });
            break;
        case Kind::Redirect:
            for (const Cookie &c : cookies_)
                cgiHeaderCookieSetString(c.name.c_str(), c.value.c_str(), c.seconds, c.path.c_str(),
                                         c.domain.c_str());
            cgiHeaderLocation(body_.c_str());
            break;
        case Kind::Status:
            std::printf("Status: %s\r\nContent-type: application/json\r\n\r\n", name_.c_str());
            std::fwrite(body_.data(), 1, body_.size(), stdout);
            break;
    }
    std::fflush(cgiOut);
    std::fflush(stdout);
    if (step_) {
        auto step = std::move(step_);
        step_ = nullptr;
        step();
    }
}
