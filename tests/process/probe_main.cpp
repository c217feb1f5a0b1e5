// webcgi with one extra table registered first: handlers that echo what the
// front end hands them, so tests can see the request text of every path.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "cgi_response.h"
#include "devroot.h"
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
const WebRes kProbe[] = {{"/probe", echo}, {"/keep", echo_keep}, {"/1010", echo}, {"/6082", echo},
                         {"/2079", echo},  {"/1019", echo},      {"/oem", echo}};
}  // namespace

int main() {
    WebResRegister(kProbe, sizeof kProbe / sizeof kProbe[0], "probe");
    webcgi_register_modules();
    return cgi_run_request();
}
