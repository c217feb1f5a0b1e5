// Identity options of "/vb.htm": factory provisioning of the 32-character
// identity record kept on the identity chip.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "vbhtm.h"

inline constexpr size_t kIdentityLength = 32;

// The identity after a `chipupdate` value, or nullopt when the value is
// refused (unknown letter, too short for its field, a character outside
// [A-Za-z0-9._-]) or `identity` is not 32 characters.
std::optional<std::string> chip_identity_update(std::string_view identity, std::string_view value);
// The same for a `modelupdate` value.
std::optional<std::string> model_identity_update(std::string_view identity, std::string_view value);

void opt_chipupdate(const HttpOption &opt, std::string &out);
void opt_modelupdate(const HttpOption &opt, std::string &out);
