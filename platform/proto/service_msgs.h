// Core messages of the service ports, push messages, SNMP, P2P cloud access
// and HTTPS certificates: types and payload layouts shared by webcgi and the
// core simulator. Little-endian, int32 fields, NUL-padded texts.
#pragma once

#include <cstddef>
#include <cstdint>

// Push and ports (not waited).
inline constexpr int MSG_PUSH_SWITCH = 3617;  // PushSwitchText ("0" / "1")
inline constexpr int MSG_CH_ACCESS = 3618;    // int32 access switch (the core stores "ch_access")

// P2P cloud access.
inline constexpr int MSG_P2P_ENABLE = 3700;   // P2pRecord -> 8700 int; or the test's reply text
inline constexpr int MSG_P2P_DISABLE = 3701;  // P2pRecord -> 8701 int (0 OK)
inline constexpr int MSG_P2P_STATUS = 3702;   // none -> 8702 P2pStatus[n]
inline constexpr int MSG_P2P_UNBIND = 2302;   // none -> 7302 int

// HTTPS certificates.
inline constexpr int MSG_CERT_CREATE = 3316;      // CertCreateRecord -> 8316 int
inline constexpr int MSG_CERT_REQ_DELETE = 3317;  // none
inline constexpr int MSG_CERT_CHECK = 3318;       // none -> 8318 int (1 accepted)
inline constexpr int MSG_CERT_DELETED = 3320;     // none
inline constexpr int MSG_HTTPS_SWITCH = 3322;     // int32

inline constexpr int32_t LOG_PARAM_NET_PORTS = 918;
inline constexpr int P2P_SERVER_PORT = 9999;

// Results of the P2P server test, as /7062 answers them.
inline constexpr int P2P_TEST_OK = 0;
inline constexpr int P2P_TEST_REFUSED = 2;
inline constexpr int P2P_TEST_NETWORK = 3;
inline constexpr int P2P_TEST_KEYS = 4;

// The push switch as decimal text (message 3617).
struct PushSwitchText {
    char text[10];
};
static_assert(sizeof(PushSwitchText) == 10);

// P2P record (store record and payload of 3700 / 3701). The core fills the
// account texts on a bind; webcgi only passes enable and region.
struct P2pRecord {
    int32_t enable;
    char reserved[32];
    char account1[128];
    char account2[128];
    char account3[128];
    char account4[64];
    int32_t region;
};
static_assert(sizeof(P2pRecord) == 488);
static_assert(offsetof(P2pRecord, account1) == 36);
static_assert(offsetof(P2pRecord, account2) == 164);
static_assert(offsetof(P2pRecord, account3) == 292);
static_assert(offsetof(P2pRecord, account4) == 420);
static_assert(offsetof(P2pRecord, region) == 484);

// One element of the P2P status reply (8702).
struct P2pStatus {
    int32_t enable;
    int32_t p2pstatus;
    char model[32];
    char ipc[64];
    char cloud_account[128];
    char register_code[64];
    char cloud_server[64];
    char company[128];
    char email[128];
    char dealer[128];
    int32_t region;
};
static_assert(sizeof(P2pStatus) == 748);
static_assert(offsetof(P2pStatus, model) == 8);
static_assert(offsetof(P2pStatus, ipc) == 40);
static_assert(offsetof(P2pStatus, cloud_account) == 104);
static_assert(offsetof(P2pStatus, register_code) == 232);
static_assert(offsetof(P2pStatus, cloud_server) == 296);
static_assert(offsetof(P2pStatus, company) == 360);
static_assert(offsetof(P2pStatus, email) == 488);
static_assert(offsetof(P2pStatus, dealer) == 616);
static_assert(offsetof(P2pStatus, region) == 744);

// Body of the P2P server test (the header's length field is its encrypted size).
struct P2pTestBody {
    char mac[24];
    char device_name[32];
    char sn[64];
    char account1[128];
    char account2[128];
    char account3[128];
    char account4[64];
};
static_assert(sizeof(P2pTestBody) == 568);
static_assert(offsetof(P2pTestBody, account1) == 120);

// The 40-byte header of a P2P server exchange: words at +0, +4, +8, +12, +16.
struct P2pHeader {
    int32_t word[10];
};
static_assert(sizeof(P2pHeader) == 40);

// Certificate creation request (payload of 3316).
struct CertCreateRecord {
    int32_t install_type;  // 0 self-signed, otherwise a signing request
    char country[3];
    char common_name[64];
    char pad0[1];
    int32_t validity;  // days, self-signed only
    char password[16];
    char province[64];
    char region[64];
    char organization[64];
    char company[64];
    char email[64];
    char reserved[448];
    char start_time[16];
    char end_time[16];
};
static_assert(sizeof(CertCreateRecord) == 892);
static_assert(offsetof(CertCreateRecord, country) == 4);
static_assert(offsetof(CertCreateRecord, common_name) == 7);
static_assert(offsetof(CertCreateRecord, validity) == 72);
static_assert(offsetof(CertCreateRecord, password) == 76);
static_assert(offsetof(CertCreateRecord, province) == 92);
static_assert(offsetof(CertCreateRecord, region) == 156);
static_assert(offsetof(CertCreateRecord, organization) == 220);
static_assert(offsetof(CertCreateRecord, company) == 284);
static_assert(offsetof(CertCreateRecord, email) == 348);
static_assert(offsetof(CertCreateRecord, start_time) == 860);
static_assert(offsetof(CertCreateRecord, end_time) == 876);

// Certificate parameters, one record per type (0 installed, 2 signing request).
inline constexpr int SSL_PARAMS_INSTALLED = 0;
inline constexpr int SSL_PARAMS_REQUEST = 2;
struct SslParams {
    int32_t type;
    char country[3];
    char common_name[64];
    char email[64];
    char dates[64];  // "YYYY-MM-DD HH:MM:SS - YYYY-MM-DD HH:MM:SS"
    char pad[1];
};
static_assert(sizeof(SslParams) == 200);
static_assert(offsetof(SslParams, common_name) == 7);
static_assert(offsetof(SslParams, email) == 71);
static_assert(offsetof(SslParams, dates) == 135);

// The certificate files under the device root.
inline constexpr const char *SSL_DIR = "/mnt/nand/ssl";
inline constexpr const char *SSL_TMP_DIR = "/mnt/nand/ssl/tmp";
inline constexpr const char *SSL_CERT = "/mnt/nand/ssl/ssl_cert.pem";
inline constexpr const char *SSL_CERT_SAVE = "/mnt/nand/ssl/ssl_cert_save.pem";
inline constexpr const char *SSL_CERT_REQ = "/mnt/nand/ssl/tmp/ssl_cert.csr";
inline constexpr const char *SSL_REQ_KEY = "/mnt/nand/ssl/tmp/ssl_req.key";
