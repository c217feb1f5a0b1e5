// Core messages of accounts and sign-in.
#pragma once

inline constexpr int MSG_POE_CAMERA_PWD = 3265;     // none; reply 8265: int32 status
inline constexpr int MSG_CORE_REQUEST_3267 = 3267;  // none, not waited
inline constexpr int MSG_MAIL_LOGIN = 3504;         // 256-byte link; reply 8504: int32 verdict
inline constexpr int MSG_USERS_CHANGED = 3505;      // none, or int32 user id
