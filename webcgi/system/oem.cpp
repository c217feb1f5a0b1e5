// "/oem": installs an OEM branding package into "/mnt/nand2".
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "base64.h"
#include "devroot.h"
#include "extras.h"
#include "nvr_sys.h"
#include "oem_zip.h"
#include "request.h"
#include "shell.h"
#include "webcrypt.h"

namespace {

constexpr off_t kPackageMax = 16 << 20;
constexpr const char *kOemDir = "/mnt/nand2";

// The whole upload, or nullopt when it cannot be read or is too large to hold.
std::optional<std::string> read_package(const std::string &device_path) {
    nvr::UniqueFd fd(open(nvr::dev_path(device_path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kPackageMax)
        return std::nullopt;
    std::string data(static_cast<size_t>(st.st_size), '\0');
    size_t got = 0;
    while (got < data.size()) {
        ssize_t n = read(fd.get(), data.data() + got, data.size() - got);
        if (n <= 0) return std::nullopt;
        got += static_cast<size_t>(n);
    }
    return data;
}

// The package's zip archive, decrypted by webcrypt; nullopt for a wrong key
// or a damaged package.
std::optional<std::string> decrypt(std::string_view sealed, std::string_view key) {
    if (sealed.size() > kOemSealedMax) return std::nullopt;
    std::string input(1, static_cast<char>(key.size()));
    input.append(key);
    input.append(sealed);
    std::string zip;
    if (run_companion(kWebcrypt, kOemDecrypt, input, -1, zip, kOemSealedMax) != 0 || zip.empty())
        return std::nullopt;
    return zip;
}

int install(std::string_view zip) {
    auto entries = zip_entries(zip);
    if (!entries) return -1;
    const std::string dir = nvr::dev_path(kOemDir);
    mkdir(dir.c_str(), 0755);
    nvr::UniqueFd root(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!root || zip_extract(zip, *entries, root.get()) != 0) return -1;
    nvr::UniqueFd mark(
        openat(root.get(), "oem_upload", O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
    return mark ? 0 : -1;
}

}  // namespace

Answer on_oem_upload(Request &rq) {
    // Only this request's own upload, then its query: "<temporary> & <query>".
    if (!cgi_request_is_upload(rq.text)) return Answer::text("ERROR");
    const std::string upload = cgi_uploaded_path();
    std::string_view query = std::string_view(rq.text).substr(upload.size());
    size_t aes = query.find("aes=");
    if (aes == std::string_view::npos) return Answer::text("ERROR");
    std::string_view key = query.substr(aes + 4, kOemKeyMax);
    auto text = read_package(upload);
    auto data = text ? kz_base64_decode(*text) : std::nullopt;
    auto zip = data ? decrypt(*data, key) : std::nullopt;
    if (!zip) return Answer::text("ERROR");
    unlink(nvr::dev_path(upload).c_str());
    return Answer::text(install(*zip) == 0 ? "OK" : "ERROR");
}
