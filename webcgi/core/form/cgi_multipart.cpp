// multipart/form-data parser: body from cgiIn into the form-entry list.
#include "cgi_multipart.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <new>

#include "form_internal.h"

namespace {

constexpr int kRing = mpStream::kRing;
constexpr size_t kFieldMax = 1023;  // header attribute, value and parameter space - 1

int ring_count(const mpStream &m) {
    return (m.writePos - m.readPos + kRing) % kRing;
}

bool is_space(int c) {
    return std::isspace(c) != 0;
}

// One byte of the stream, or EOF. The hot path of every upload.
inline int get_byte(mpStream &m) {
    if (m.readPos != m.writePos) {
        int c = m.putback[m.readPos];
        m.readPos = (m.readPos + 1) % kRing;
        ++m.offset;
        return c;
    }
    if (m.fromInput >= cgiContentLength) return EOF;
    int c = getc_unlocked(cgiIn);
    if (c == EOF) return EOF;
    ++m.fromInput;
    ++m.offset;
    return c;
}

// Where scanned body bytes go: a file, memory, or nowhere.
struct Sink {
    FILE *file = nullptr;
    std::string *mem = nullptr;
    int64_t count = 0;

    void put(int c) {
        ++count;
        if (file)
            putc_unlocked(c, file);
        else if (mem)
            mem->push_back(static_cast<char>(c));
    }
};

enum class Scan { kFound, kEnded, kOverflow };

// Copies bytes to `sink` up to the delimiter, then consumes the CR LF after
// it (or leaves a closing "--" for the part loop to see).
Scan scan_to_boundary(mpStream &m, std::string_view delim, Sink &sink) {
    size_t matched = 0;
    for (;;) {
        int c = get_byte(m);
        if (c == EOF) return Scan::kEnded;
        if (c == static_cast<unsigned char>(delim[matched])) {
            if (++matched == delim.size()) break;
            continue;
        }
        if (matched == 0) {
            sink.put(c);
            continue;
        }
        // The match broke: only its first byte is certainly data; the rest
        // may begin the real delimiter, so it is read again.
        sink.put(static_cast<unsigned char>(delim[0]));
        char ch = static_cast<char>(c);
        if (mpPutBack(&m, &ch, 1) != 0 ||
            mpPutBack(&m, delim.data() + 1, static_cast<int>(matched - 1)) != 0)
            return Scan::kOverflow;
        matched = 0;
    }
    char two[2];
    if (mpRead(&m, two, 2) < 2) return Scan::kEnded;
    if (two[0] == '-' && mpPutBack(&m, two, 2) != 0) return Scan::kOverflow;
    return Scan::kFound;
}

struct PartHeaders {
    std::string disposition;
    std::string name;
    std::string filename;
    std::string contentType;
};

void read_part_headers(mpStream &m, PartHeaders &h) {
    std::string attr, value;
    bool ended = false;
    while (nvr::form::read_header_line(m, attr, value, ended)) {
        if (strcasecmp(attr.c_str(), "Content-Disposition") == 0) {
            nvr::form::HeaderValue v = nvr::form::split_header_value(value);
            h.disposition = std::move(v.main);
            h.name = std::move(v.name);
            h.filename = std::move(v.filename);
        } else if (strcasecmp(attr.c_str(), "Content-Type") == 0) {
            h.contentType = nvr::form::split_header_value(value).main;
        }
    }
}

struct FileCloser {
    void operator()(FILE *f) const { fclose(f); }
};

// Reads one form-data part's body into a new entry at the end of `out`. On
// failure the entry stays in `out` so that the caller's cleanup removes its
// temporary file.
int read_part(mpStream &m, std::string_view delim, PartHeaders &h, std::vector<FormEntry> &out) {
    FormEntry &e = out.emplace_back();
    e.name = std::move(h.name);
    e.fileName = std::move(h.filename);
    e.contentType = std::move(h.contentType);
    std::unique_ptr<FILE, FileCloser> file;
    Sink sink;
    if (!e.fileName.empty()) {
        file.reset(nvr::form::create_temp_file(e.tempFileName));
        if (!file) return CGI_PARSE_IO;
        sink.file = file.get();
    } else {
        e.value.reserve(256);
        sink.mem = &e.value;
    }
    if (scan_to_boundary(m, delim, sink) != Scan::kFound) return CGI_PARSE_IO;
    // A short write (full RAM disk) must not pass for a complete upload.
    if (file && (ferror(file.get()) || fclose(file.release()) != 0)) return CGI_PARSE_IO;
    e.value.shrink_to_fit();
    e.valueLength = static_cast<int>(sink.count);
    return CGI_PARSE_SUCCESS;
}

int parse_parts(mpStream &m, std::string_view delim, std::vector<FormEntry> &out) {
    for (;;) {
        char two[2];
        if (mpRead(&m, two, 2) < 2) return CGI_PARSE_SUCCESS;
        if (two[0] == '-' && two[1] == '-') return CGI_PARSE_SUCCESS;
        if (mpPutBack(&m, two, 2) != 0) return CGI_PARSE_IO;
        PartHeaders h;
        read_part_headers(m, h);
        if (strcasecmp(h.disposition.c_str(), "form-data") != 0) {
            // Skip the whole part, so its body is never taken for headers.
            Sink none;
            if (scan_to_boundary(m, delim, none) != Scan::kFound) return CGI_PARSE_IO;
            continue;
        }
        int r = read_part(m, delim, h, out);
        if (r != CGI_PARSE_SUCCESS) return r;
    }
}

int parse_body(std::vector<FormEntry> &out) {
    if (cgiContentLength == 0) return CGI_PARSE_SUCCESS;
    mpStream m;
    std::string delim = std::string("\r\n--") + cgiMultipartBoundary;
    Sink none;
    Scan first = scan_to_boundary(m, std::string_view(delim).substr(2), none);
    if (first == Scan::kEnded) return CGI_PARSE_SUCCESS;  // no boundary: an empty form
    if (first == Scan::kOverflow) return CGI_PARSE_IO;
    return parse_parts(m, delim, out);
}

}  // namespace

int mpRead(mpStream *mpp, char *buffer, int len) {
    if (len <= 0) return 0;
    int got = 0;
    while (got < len && mpp->readPos != mpp->writePos) {
        buffer[got++] = static_cast<char>(mpp->putback[mpp->readPos]);
        mpp->readPos = (mpp->readPos + 1) % kRing;
    }
    int64_t left = cgiContentLength - mpp->fromInput;
    if (got < len && left > 0) {
        size_t want = static_cast<size_t>(std::min<int64_t>(len - got, left));
        size_t n = fread(buffer + got, 1, want, cgiIn);
        mpp->fromInput += static_cast<int64_t>(n);
        got += static_cast<int>(n);
    }
    mpp->offset += got;
    if (got == 0 && left <= 0) return -1;
    return got;
}

int mpPutBack(mpStream *mpp, const char *data, int len) {
    if (len <= 0) return 0;
    // One slot stays free: equal positions mean an empty ring.
    if (ring_count(*mpp) + len > kRing - 1) return -1;
    mpp->readPos = (mpp->readPos - len + kRing) % kRing;
    for (int i = 0; i < len; ++i)
        mpp->putback[(mpp->readPos + i) % kRing] = static_cast<unsigned char>(data[i]);
    mpp->offset -= len;
    return 0;
}

int cgiParseMultipartInput() {
    std::vector<FormEntry> parsed;
    int r;
    try {
        r = parse_body(parsed);
    } catch (const std::bad_alloc &) {
        r = CGI_PARSE_MEMORY;
    }
    if (r != CGI_PARSE_SUCCESS) {
        nvr::form::discard_entries(parsed);
        return r;
    }
    std::vector<FormEntry> &list = nvr::form::entries();
    try {
        if (list.empty())
            list = std::move(parsed);
        else
            list.insert(list.end(), std::make_move_iterator(parsed.begin()),
                        std::make_move_iterator(parsed.end()));
    } catch (const std::bad_alloc &) {
        nvr::form::discard_entries(parsed);
        return CGI_PARSE_MEMORY;
    }
    return CGI_PARSE_SUCCESS;
}

namespace nvr::form {

bool read_header_line(mpStream &m, std::string &attr, std::string &value, bool &ended) {
    attr.clear();
    value.clear();
    ended = false;
    bool inValue = false;
    bool skipSpace = false;
    for (;;) {
        int c = get_byte(m);
        if (c == EOF) {
            ended = true;
            return false;
        }
        if (c == '\r') {
            int next = get_byte(m);
            char ch = static_cast<char>(next);
            if (next != EOF && next != '\n' && mpPutBack(&m, &ch, 1) != 0) {
                ended = true;
                return false;
            }
            break;
        }
        if (c == '\n') break;
        if (!inValue) {
            if (c == ':' && !attr.empty()) {
                inValue = skipSpace = true;
            } else if (!is_space(c) && attr.size() < kFieldMax) {
                attr.push_back(static_cast<char>(c));
            }
            continue;
        }
        if (c == ':') {
            skipSpace = true;
            continue;
        }
        if (skipSpace && is_space(c)) continue;
        skipSpace = false;
        if (value.size() < kFieldMax) value.push_back(static_cast<char>(c));
    }
    return !attr.empty() && !value.empty();
}

HeaderValue split_header_value(std::string_view v) {
    HeaderValue out;
    size_t i = 0;
    const size_t n = v.size();
    auto skip_space = [&] {
        while (i < n && is_space(static_cast<unsigned char>(v[i])))
            ++i;
    };
    auto to_semicolon = [&] { i = std::min(v.find(';', i), n); };
    // A quoted value runs to its closing quote; whatever follows up to the
    // next ';' is ignored.
    auto read_value = [&]() -> std::string_view {
        size_t start = i;
        if (i < n && v[i] == '"') {
            start = ++i;
            size_t close = std::min(v.find('"', i), n);
            i = close;
            to_semicolon();
            return v.substr(start, close - start);
        }
        to_semicolon();
        return v.substr(start, i - start);
    };
    auto cut = [](std::string_view s) { return std::string(s.substr(0, kFieldMax)); };

    skip_space();
    out.main = cut(read_value());
    while (i < n && v[i] == ';') {
        ++i;
        skip_space();
        size_t nameStart = i;
        while (i < n && std::isalnum(static_cast<unsigned char>(v[i])))
            ++i;
        std::string pname(v.substr(nameStart, i - nameStart));
        skip_space();
        if (i >= n || v[i] != '=') break;
        ++i;
        skip_space();
        std::string_view pvalue = read_value();
        if (strcasecmp(pname.c_str(), "name") == 0)
            out.name = cut(pvalue);
        else if (strcasecmp(pname.c_str(), "filename") == 0)
            out.filename = cut(pvalue);
    }
    return out;
}

}  // namespace nvr::form
