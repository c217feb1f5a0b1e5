// One request from CGI environment to dispatch.
#pragma once

#include "registry.h"

// Reads the CGI environment, takes the GET, POST or multipart path, shapes
// the request text and dispatches it once. Returns the process exit status:
// 0, or 255 when a multipart body could not be parsed (nothing written).
int cgi_run_request();

// The device path ("/tmp/<name>" or a "/tmp/cgic..." temporary) where this
// request's multipart path placed the uploaded file, or "" when this request
// placed none. Upload handlers act only on this file.
const char *cgi_uploaded_path();
// True when the request came through the multipart path and `request_text`
// is the placed path, alone or followed by " & ".
bool cgi_request_is_upload(const char *request_text);
// A handler that keeps the placed file (moved it, or handed it on) says so;
// otherwise the file is removed after dispatch.
void cgi_upload_keep();
