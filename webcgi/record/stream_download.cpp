// Recording download: the marker file, the download itself and its cancel.
#include <unistd.h>

#include "devroot.h"
#include "stream.h"

namespace {
constexpr const char *kDownloadMarker = "/tmp/pbdownload";

bool download_running() {
    return access(nvr::dev_path(kDownloadMarker).c_str(), F_OK) == 0;
}
}  // namespace

Answer on_may_download(Request &) {
    return Answer::json_as(CGI_TEXT, JsonOut().add("isOK", download_running() ? 0 : 1).get());
}

Answer on_cancel_download(Request &) {
    // unlink, not a shell rm: under a device root the fixed path would be the host's own.
    unlink(nvr::dev_path(kDownloadMarker).c_str());
    cgi_notify(MSG_PB_DOWNLOAD_CANCEL, nullptr, 0);
    return Answer::text("OK");
}

Answer on_download_record(Request &) {
    return Answer::none();
}
