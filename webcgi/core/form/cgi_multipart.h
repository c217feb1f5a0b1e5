// Read-ahead stream and the pieces of the multipart parser, exposed for tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Read-ahead stream over cgiIn: a put-back ring in front of at most
// cgiContentLength bytes of body.
struct mpStream {
    static constexpr int kRing = 1024;
    unsigned char putback[kRing];
    int readPos = 0;        // next byte to deliver from the ring
    int writePos = 0;       // one past the last byte in the ring
    int64_t offset = 0;     // bytes consumed from the body so far
    int64_t fromInput = 0;  // bytes taken from cgiIn so far
};

// Delivers up to `len` bytes: first from the ring, then from cgiIn, never
// taking more than cgiContentLength bytes from cgiIn in all. Returns the count
// delivered (0 when the input ends early); -1 when nothing is left at all and
// len > 0.
int mpRead(mpStream *mpp, char *buffer, int len);

// Pushes bytes back so that they come out again, in order, before anything
// not yet delivered. Returns 0, or -1 (nothing pushed) when the ring would
// overflow.
int mpPutBack(mpStream *mpp, const char *data, int len);

namespace nvr::form {

// One header line. Returns true when the line has both an attribute and a
// value; false for an empty or attribute-only line and at end of input.
// `ended` is set when the input ended inside the line.
bool read_header_line(mpStream &mpp, std::string &attr, std::string &value, bool &ended);

// Splits a header value into its main value and the parameters "name" and
// "filename" (letter case of the parameter names ignored).
struct HeaderValue {
    std::string main;
    std::string name;
    std::string filename;
};
HeaderValue split_header_value(std::string_view value);

}  // namespace nvr::form
