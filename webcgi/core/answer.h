// What a handler answers. A handler returns one Answer; the dispatcher writes
// it once, flushes, then runs its step (if any). "Exactly one response, or
// none" follows from that: nothing else in a handler writes to stdout.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class JsonOut;
struct json_object;

class Answer {
  public:
    enum class Kind : unsigned char {
        None,      // writes nothing (the code documents no reply here)
        Body,      // header of `kind_` (0 text, 1 JSON) and the body
        Error,     // "CGI ERROR" (kind 0) or {status:"CGI ERROR"} (kind 1)
        Raw,       // bytes exactly as given, headers included ("/vb.htm")
        Download,  // octet-stream attachment `name_` with the body as its bytes
        Redirect,  // cookies, then a Location header
        Status,    // "Status: <body_>" header and a short JSON body (refusals)
        Stream,    // octet-stream attachment `name_` whose bytes a producer writes piece by piece
    };
    // Writes one piece of a streamed answer and flushes it to the client.
    using Sink = std::function<void(std::string_view)>;
    struct Cookie {
        std::string name, value;
        int seconds = 0;
        std::string path, domain;
    };

    Answer() = default;
    static Answer none() { return {}; }
    // Text under "Content-type: text/plain" (kind 0).
    static Answer text(std::string body) { return body_of(0, std::move(body)); }
    // Body under "Content-type: application/json" (kind 1).
    static Answer json(std::string body) { return body_of(1, std::move(body)); }
    static Answer json(const JsonOut &out);
    static Answer json(json_object *obj);
    // Body of header kind 0 or 1 (many JSON documents travel as kind 0).
    static Answer body_of(int kind, std::string body);
    // JSON text of `obj` under header kind 0 or 1.
    static Answer json_as(int kind, json_object *obj);
    static Answer error(int kind);
    static Answer raw(std::string bytes);
    static Answer download(std::string name, std::string bytes);
    // A download too large to hold: the headers go out, then `writer` runs and owns
    // standard output (it writes the bytes itself and returns when done).
    static Answer download_stream(std::string name, std::function<void()> writer) {
        return download(std::move(name), {}).then(std::move(writer));
    }
    // The same with the pieces handed to a sink: `produce` is called once the
    // headers are written and hands every piece to the sink (each one flushed).
    static Answer stream(std::string name, std::function<void(const Sink &)> produce);
    static Answer redirect(std::string location, std::vector<Cookie> cookies = {});
    // "Status: 403 Forbidden" style refusal with a JSON body.
    static Answer status(std::string status_line, std::string json_body);

    // A step that runs after the answer is written and flushed (restart,
    // restore and notices sent after the reply).
    Answer &&then(std::function<void()> step) && {
        step_ = std::move(step);
        return std::move(*this);
    }

    Kind kind() const { return what_; }
    int header_kind() const { return kind_; }
    const std::string &body() const { return body_; }
    bool is_none() const { return what_ == Kind::None; }

    // Writes the answer to stdout and flushes; then runs the step. Called by
    // the dispatcher only.
    void write_and_finish();

  private:
    Kind what_ = Kind::None;
    int kind_ = 0;
    std::string body_;
    std::string name_;
    std::vector<Cookie> cookies_;
    std::function<void()> step_;
    std::function<void(const Sink &)> produce_;
};
