// Core messages of firmware upgrades: recorder and camera images, online
// offers and downloads. Plain little-endian structs shared with the core
// simulator.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_UPGRADE_PREPARE = 1721;   // none, not waited
inline constexpr int MSG_UPGRADE_RECORDER = 1713;  // int32 reset flag -> int32 result
inline constexpr int MSG_UPGRADE_CHECK = 1715;     // none -> UpgradeOffer
inline constexpr int MSG_UPGRADE_DOWNLOAD = 1716;  // OnlineDownloadRequest -> int32 result
inline constexpr int MSG_UPGRADE_DISCARD = 1717;   // none -> int32 result
inline constexpr int MSG_CAMERA_UPGRADE = 3350;    // CameraUpgradeRequest -> CameraUpgradeStatus[]
inline constexpr int MSG_CAMERA_UPGRADE_STOP = 3351;   // none, not waited
inline constexpr int MSG_CAMERA_UPGRADE_CHECK = 3365;  // uint64 channel mask -> UpgradeOffer[64]

// Device paths of the two image files (the web server's upload places them).
inline constexpr const char *kRecorderImagePath = "/dev/shm/updateFM.bin";
inline constexpr const char *kCameraImagePath = "/dev/shm/updateIPCFM.bin";

// One offer of the online upgrade service, 328 bytes.
struct UpgradeOffer {
    int32_t state;
    int32_t file_size;
    char softversion[64];
    char url[128];
    char description[128];
};
static_assert(sizeof(UpgradeOffer) == 328);
static_assert(offsetof(UpgradeOffer, softversion) == 8);
static_assert(offsetof(UpgradeOffer, url) == 72);
static_assert(offsetof(UpgradeOffer, description) == 200);

inline constexpr int kUpgradeOfferChannels = 64;

struct CameraUpgradeRequest {
    int32_t channel;
    int32_t reset;
    char path[256];
};
static_assert(sizeof(CameraUpgradeRequest) == 264);
static_assert(offsetof(CameraUpgradeRequest, path) == 8);

// Reply 8350: whole records of this.
struct CameraUpgradeStatus {
    int32_t channel;
    int32_t status;
};
static_assert(sizeof(CameraUpgradeStatus) == 8);

struct OnlineDownloadRequest {
    char url[128];
    char target[128];
};
static_assert(sizeof(OnlineDownloadRequest) == 256);
static_assert(offsetof(OnlineDownloadRequest, target) == 128);
