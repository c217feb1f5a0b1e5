// Id ranges of the record area's requests, beside the kit's kChannelIds.
#pragma once

#include "cgi_json.h"

inline constexpr Limit kHolidayIds{0, 31};
inline constexpr Limit kPlaybackChannels{0, 15};  // live view, playback and download pages
inline constexpr Limit kRecordModes{0, 2};
inline constexpr Limit kRecordStreams{0, 2};
inline constexpr Limit kOnOff{0, 1};
inline constexpr Limit kNonNegative{0, INT32_MAX};
inline constexpr Limit kPictureValues{0, 255};
