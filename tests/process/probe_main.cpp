// webcgi with one extra table registered first: handlers that echo what the
// front end hands them, so tests can see the request text of every path.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cgi_ipc.h"
#include "cgi_response.h"
#include "devroot.h"
#include "handler.h"
#include "modules.h"
#include "request.h"
#include "shell.h"

namespace {
void echo(char *text) {
    std::string out = std::string("text=[") + text + "]\nuploaded=[" + cgi_uploaded_path() + "]";
    out += cgi_request_is_upload(text) ? "\nupload=yes" : "\nupload=no";
    int size = 0;
    if (auto data = kz_get_file_data(cgi_uploaded_path(), &size))
        out += "\ncontent=[" + std::string(data.get(), size) + "]";
    cgi_writeback_webserver(CGI_TEXT, out);
}
void echo_keep(char *text) {
    cgi_upload_keep();
    echo(text);
}
// "/ipc?T": sends message T and answers through the common JSON renderer.
Answer ipc(Request &rq) {
    int32_t value = 7;
    return cgi_query(atoi(rq.text), value, on_cgi_common_json_cb, Answer::error(CGI_JSON));
}
// "/ipcx?T": the same, but expects a reply type the simulator never sends.
Answer ipc_other(Request &rq) {
    int32_t value = 7;
    int type = atoi(rq.text);
    return cgi_query(type, value, on_cgi_common_json_cb, Answer::error(CGI_JSON),
                     static_cast<uint32_t>(type) + KZ_REPLY_OFFSET + 1);
}
// "/chan?T": two notices, a query of T, one more notice after the answer.
Answer chan(Request &rq) {
    int32_t n1 = 1, n2 = 2, n3 = 3;
    cgi_notify(1111, n1);
    cgi_notify(1112, n2);
    Answer a = cgi_query(atoi(rq.text), n1, on_cgi_common_json_cb, Answer::error(CGI_JSON));
    return std::move(a).then([n3] { cgi_notify(1113, n3); });
}
const WebRes kProbe[] = {
    {"/probe", legacy<echo>},
    {"/keep", legacy<echo_keep>},
    {"/1010", legacy<echo>, Body::Text, Upload::Stream},
    {"/6082", legacy<echo>, Body::Text, Upload::Marker},
    {"/2079", legacy<echo>, Body::Text, Upload::Marker},
    {"/1019", legacy<echo>, Body::Text, Upload::Temp},
    {"/oem", legacy<echo>, Body::Text, Upload::Temp},
    {"/ipc", ipc},
    {"/ipcx", ipc_other},
    {"/chan", chan},
};
}  // namespace

int main() {
    WebResRegister(kProbe, sizeof kProbe / sizeof kProbe[0], "probe");
    webcgi_register_modules();
    return cgi_run_request();
}
