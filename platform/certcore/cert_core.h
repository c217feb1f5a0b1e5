// Certificates of the recorder's web server, made and checked the way the core
// daemon does it: a self-signed certificate or a signing request from the
// creation record, and the check of an installed certificate. Files live
// under the device root (the paths of service_msgs.h); no shell, no
// configuration file.
#pragma once

#include <ctime>
#include <string>

#include "service_msgs.h"

namespace certcore {

// Type 0: a new RSA 2048 key and a self-signed SHA-256 certificate, written
// with the key to ssl_cert.pem (0600, atomically); *params gets the type-0
// record. Other types: a new key in the request folder (0600) and the signing
// request ssl_cert.csr; *params gets the type-2 record. 0 / -1.
int create(const CertCreateRecord &rec, SslParams *params);

// 1 when ssl_cert.pem holds a certificate whose public key matches a private
// key in that file or the pending request's key (then appended to the file);
// *params gets the type-0 record from the certificate. 0 otherwise.
int check_installed(SslParams *params);

// Removes the pending signing request and its key.
void delete_request();

// "YYYY-MM-DD HH:MM:SS - YYYY-MM-DD HH:MM:SS" (UTC) of two times.
std::string dates_text(time_t from, time_t to);

}  // namespace certcore
