// HTTPS certificates: JSON forms of the creation request and the parameter records.
#pragma once

#include "field_map.h"
#include "service_msgs.h"

#define CERT_TEXT(Rec, member, key) FIELD(Rec, member, key, kAnyInt, kFieldBoth | kFieldLooseText)
// Every creation request; texts cut to their fields (a country of two letters).
inline constexpr Field kCertCreateFields[] = {
    FIELD(CertCreateRecord, install_type, "InstallType"),
    CERT_TEXT(CertCreateRecord, country, "Country"),
    CERT_TEXT(CertCreateRecord, common_name, "CommonName"),
    CERT_TEXT(CertCreateRecord, password, "Password"),
    CERT_TEXT(CertCreateRecord, province, "Province"),
    CERT_TEXT(CertCreateRecord, region, "Region"),
    CERT_TEXT(CertCreateRecord, organization, "Organization"),
    CERT_TEXT(CertCreateRecord, company, "Company"),
    CERT_TEXT(CertCreateRecord, email, "Email"),
};
// What only a self-signed certificate takes.
inline constexpr Field kCertSelfSignedFields[] = {
    FIELD(CertCreateRecord, validity, "Validity"),
    CERT_TEXT(CertCreateRecord, start_time, "startTime"),
    CERT_TEXT(CertCreateRecord, end_time, "endTime"),
};
#undef CERT_TEXT

inline constexpr Field kCertInfoFields[] = {
    FIELD(SslParams, country, "country", kAnyInt, kFieldRender),
    FIELD(SslParams, common_name, "common_name", kAnyInt, kFieldRender),
    FIELD(SslParams, email, "email", kAnyInt, kFieldRender),
    FIELD(SslParams, dates, "dates", kAnyInt, kFieldRender),
};
inline constexpr Field kCertReqFields[] = {
    FIELD(SslParams, country, "country_req", kAnyInt, kFieldRender),
    FIELD(SslParams, common_name, "common_name_req", kAnyInt, kFieldRender),
    FIELD(SslParams, email, "email_req", kAnyInt, kFieldRender),
};

// The signing workspace under the certificate folder, made with file calls
// (no shell), then the folder's permissions tightened. 0 / -1.
int prepare_cert_workspace();
// Removes write for group and others from every entry under the certificate
// folder; never adds a permission and leaves links alone.
void tighten_ssl_modes();
