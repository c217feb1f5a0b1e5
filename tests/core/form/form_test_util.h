// Helpers shared by the form-layer tests: a scratch device root, bodies
// built from parts, and parsing from memory.
#pragma once

#include <string>
#include <vector>

#include "cgi_form.h"

namespace formtest {

// Host path of the scratch device root (NVR_ROOT), with "/tmp" created.
const std::string &root();

// Names of the "cgic*" files now in the device's /tmp.
std::vector<std::string> temp_files();

// Host path of a device path.
std::string host(const std::string &devicePath);

std::string read_file(const std::string &hostPath);

struct Part {
    std::string name{};
    std::string value{};
    std::string filename{};  // "" for a plain field (no filename parameter)
    std::string contentType{};
    std::string disposition = "form-data";
};

inline constexpr char kBoundary[] = "----nvrBoundary7MA4YWxk";

std::string make_body(const std::vector<Part> &parts, const std::string &boundary = kBoundary);

// Runs the parser over `body` from memory with the given boundary; the
// declared length defaults to the body's size.
int parse(const std::string &body, const std::string &boundary = kBoundary,
          long declaredLength = -1);

}  // namespace formtest
