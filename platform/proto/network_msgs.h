// Core messages of the network settings: types and payload layouts, shared by
// webcgi and the core simulator. Little-endian, int32 fields, NUL-padded texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Notices (not waited).
inline constexpr int MSG_SETTING_CHANGED = 1702;        // SettingName
inline constexpr int MSG_TIME_APPLIED = 1711;           // none: sent once 6701 came
inline constexpr int MSG_NETWORK_RESTART = 1712;        // NetworkRestart (32 zero bytes)
inline constexpr int MSG_ACCESS_FILTER_CHANGED = 1722;  // none
inline constexpr int MSG_NETWORK_SLAVE_CLEAR = 3023;    // int32 slaveClear
inline constexpr int MSG_UPNP_SET = 3720;               // UpnpRecord (the core stores it)
// Waited requests; the reply (type + 5000) carries one int32 result.
inline constexpr int MSG_TIME_SET = 1701;         // TimeSetRequest -> 6701
inline constexpr int MSG_DEFAULT_ROUTE = 1724;    // int32 defaultRoute -> 6724
inline constexpr int MSG_MULTICAST_SET = 1729;    // MulticastRecord -> 6729
inline constexpr int MSG_IP_CONFLICT = 3005;      // IpConflictRequest -> 8005
inline constexpr int MSG_IP_CONFLICT_DEV = 3006;  // DevIpConflictRequest -> 8006
inline constexpr int MSG_DDNS_STATUS = 3309;      // none -> 8309 status
inline constexpr int MSG_TEST_MAIL = 3409;        // TestMailRequest ("testmail") -> 8409

// Operation-log codes (message 3485) of the network settings.
inline constexpr int64_t LOG_SUB_NET_SET = 204;          // a setting was saved
inline constexpr int64_t LOG_SUB_NET_TIME = 225;         // the clock was set
inline constexpr int64_t LOG_SUB_NET_IP_CONFLICT = 406;  // with main type 32 (exception)
inline constexpr int32_t LOG_MAIN_NET_EXCEPTION = 32;
inline constexpr int32_t LOG_PARAM_NET_SYSTEM = 900;
inline constexpr int32_t LOG_PARAM_NET_LAN = 914;
inline constexpr int32_t LOG_PARAM_NET_PPPOE = 915;
inline constexpr int32_t LOG_PARAM_NET_DDNS = 916;
inline constexpr int32_t LOG_PARAM_NET_EMAIL = 917;

// Setting-changed notice: the setting's name, NUL-padded ("network", "pppoe", ...).
struct SettingName {
    char name[32];
};
static_assert(sizeof(SettingName) == 32);

inline SettingName setting_name(std::string_view name) {
    SettingName s{};
    std::memcpy(s.name, name.data(), name.size() < 31 ? name.size() : 31);
    return s;
}

struct NetworkRestart {
    char zero[32];
};
static_assert(sizeof(NetworkRestart) == 32);

struct IpConflictRequest {
    char ip[20];
};
static_assert(sizeof(IpConflictRequest) == 20);

struct DevIpConflictRequest {
    char dev[16];
    char ip[16];
};
static_assert(sizeof(DevIpConflictRequest) == 32);
static_assert(offsetof(DevIpConflictRequest, ip) == 16);

// The manual time in double quotes, or empty (NTP or the failover mode 2).
struct TimeSetRequest {
    char text[32];
};
static_assert(sizeof(TimeSetRequest) == 32);

struct TestMailRequest {
    char text[32];  // "testmail"
};
static_assert(sizeof(TestMailRequest) == 32);

// UPnP record (store record and payload of 3720).
struct UpnpRecord {
    int32_t enable;
    int32_t type;
    int32_t external_http_port;
    int32_t http_status;
    int32_t external_rtsp_port;
    int32_t rtsp_status;
    char reserved[128];
};
static_assert(sizeof(UpnpRecord) == 152);
static_assert(offsetof(UpnpRecord, rtsp_status) == 20);
static_assert(offsetof(UpnpRecord, reserved) == 24);

// Multicast record (store record and payload of 1729).
struct MulticastRecord {
    int32_t enable;
    char ip[65];
    char pad[3];
};
static_assert(sizeof(MulticastRecord) == 72);
static_assert(offsetof(MulticastRecord, ip) == 4);
