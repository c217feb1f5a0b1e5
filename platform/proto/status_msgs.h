// Core messages of the status pages: the requests carry no payload and the
// replies are arrays of fixed records (or one record). Little-endian, int32
// unless said, NUL-padded texts that may fill their whole field.
#pragma once

#include <cstddef>
#include <cstdint>

// Waited requests; the reply type is the request type + 5000.
inline constexpr int MSG_IPC_STATUS = 3300;       // none -> IpcStatusRecord[]
inline constexpr int MSG_NETIF_STATUS = 3301;     // none -> NetifStatusRecord[]
inline constexpr int MSG_NETIF_SPEED = 3302;      // none -> NetifSpeedRecord[]
inline constexpr int MSG_ALARM_STATUS = 3305;     // none -> AlarmStatusRecord
inline constexpr int MSG_DISK_SPACE = 3306;       // none -> DiskSpaceRecord
inline constexpr int MSG_CHANNEL_SUPPORT = 3263;  // none -> ChannelSupportRecord[64]
inline constexpr int MSG_ONLINE_USERS = 1719;     // none -> OnlineUserRecord[]

inline constexpr int STATUS_CHANNELS = 64;

// One network interface (8301).
struct NetifStatusRecord {
    char ifname[12];
    int32_t id;
    int32_t state;
    int32_t speed_mode;
    int32_t duplex;
    int32_t enable;
    int32_t dhcp_enable;
    char ip_addr[24];
    char mac[24];
    char primary_dns[24];
    char second_dns[24];
    char gateway[24];
    char netmask[24];
    int32_t mtu;
    uint8_t ip6_mode;
    char ip6_address[67];
    int32_t ip6_prefix;
    char ip6_gateway[64];
};
static_assert(sizeof(NetifStatusRecord) == 320);
static_assert(offsetof(NetifStatusRecord, id) == 12);
static_assert(offsetof(NetifStatusRecord, dhcp_enable) == 32);
static_assert(offsetof(NetifStatusRecord, ip_addr) == 36);
static_assert(offsetof(NetifStatusRecord, mac) == 60);
static_assert(offsetof(NetifStatusRecord, primary_dns) == 84);
static_assert(offsetof(NetifStatusRecord, second_dns) == 108);
static_assert(offsetof(NetifStatusRecord, gateway) == 132);
static_assert(offsetof(NetifStatusRecord, netmask) == 156);
static_assert(offsetof(NetifStatusRecord, mtu) == 180);
static_assert(offsetof(NetifStatusRecord, ip6_mode) == 184);
static_assert(offsetof(NetifStatusRecord, ip6_address) == 185);
static_assert(offsetof(NetifStatusRecord, ip6_prefix) == 252);
static_assert(offsetof(NetifStatusRecord, ip6_gateway) == 256);

// Traffic of one interface (8302), bytes per second.
struct NetifSpeedRecord {
    char ifname[12];
    int32_t rx_speed;
    int32_t tx_speed;
    int32_t id;
};
static_assert(sizeof(NetifSpeedRecord) == 24);
static_assert(offsetof(NetifSpeedRecord, rx_speed) == 12);
static_assert(offsetof(NetifSpeedRecord, id) == 20);

// One stream of a connected camera.
struct IpcStreamStatus {
    int32_t width;
    int32_t height;
    int32_t framerate;
    int32_t bitrate;
    int32_t connection;
    int32_t reserved;
    int32_t connect_status;
};
static_assert(sizeof(IpcStreamStatus) == 28);

// One connected camera (8300).
struct IpcStatusRecord {
    IpcStreamStatus main;
    IpcStreamStatus sub;
    int32_t recording;
    int32_t alarm;
    int32_t channel;
    int32_t reserved;
};
static_assert(sizeof(IpcStatusRecord) == 72);
static_assert(offsetof(IpcStatusRecord, main) + offsetof(IpcStreamStatus, connect_status) == 24);
static_assert(offsetof(IpcStatusRecord, sub) == 28);
static_assert(offsetof(IpcStatusRecord, sub) + offsetof(IpcStreamStatus, connection) == 44);
static_assert(offsetof(IpcStatusRecord, recording) == 56);
static_assert(offsetof(IpcStatusRecord, alarm) == 60);
static_assert(offsetof(IpcStatusRecord, channel) == 64);

struct ChannelAlarmPair {
    int32_t in;
    int32_t out;
};

// Alarm and event states of the whole recorder (8305), one record. Masks
// carry bit n for channel n.
struct AlarmStatusRecord {
    uint64_t video_loss;
    uint64_t motion;
    int32_t nvr_out_states;  // bit per NVR output
    int32_t nvr_in_states;   // bit per NVR input
    uint64_t entrance;
    uint64_t exiting;
    uint64_t advanced_motion;
    uint64_t tampering;
    uint64_t line_crossing;
    uint64_t loitering;
    uint64_t human;
    uint64_t object_left_removed;
    unsigned char reserved0[8];
    ChannelAlarmPair channel[STATUS_CHANNELS];
    uint64_t cam_in_state[4];  // per camera input k
    uint64_t cam_out_state[2];
    uint64_t cam_in_type[4];
    uint64_t cam_out_type[2];
    unsigned char reserved1[67592];
};
static_assert(sizeof(AlarmStatusRecord) == 68296);
static_assert(offsetof(AlarmStatusRecord, nvr_out_states) == 16);
static_assert(offsetof(AlarmStatusRecord, nvr_in_states) == 20);
static_assert(offsetof(AlarmStatusRecord, entrance) == 24);
static_assert(offsetof(AlarmStatusRecord, object_left_removed) == 80);
static_assert(offsetof(AlarmStatusRecord, channel) == 96);
static_assert(offsetof(AlarmStatusRecord, cam_in_state) == 608);
static_assert(offsetof(AlarmStatusRecord, cam_out_state) == 640);
static_assert(offsetof(AlarmStatusRecord, cam_in_type) == 656);
static_assert(offsetof(AlarmStatusRecord, cam_out_type) == 688);

// Recording space (8306); units are the core daemon's.
struct DiskSpaceRecord {
    int32_t total;
    int32_t free;
    int32_t used;
};
static_assert(sizeof(DiskSpaceRecord) == 12);

// One channel's analytics support (8263).
struct ChannelSupportRecord {
    int32_t channel;
    int32_t support;  // 1: supported
    int32_t type;     // 1 or 2; anything else is none
    int32_t reserved[8];
};
static_assert(sizeof(ChannelSupportRecord) == 44);
static_assert(offsetof(ChannelSupportRecord, support) == 4);
static_assert(offsetof(ChannelSupportRecord, type) == 8);

// One signed-in user (6719).
struct OnlineUserRecord {
    char user_name[64];
    int32_t user_level;
    char ip_addr[64];
    char login_time[20];
};
static_assert(sizeof(OnlineUserRecord) == 152);
static_assert(offsetof(OnlineUserRecord, user_level) == 64);
static_assert(offsetof(OnlineUserRecord, ip_addr) == 68);
static_assert(offsetof(OnlineUserRecord, login_time) == 132);
