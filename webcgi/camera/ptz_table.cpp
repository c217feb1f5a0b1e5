// Table of the ptz module, generated from its rows.
#include "handler.h"
#include "modules.h"
#include "ptz_rows.h"

namespace {
constexpr auto kPtzTable = web_rows(ptz::kPtzRows);
}  // namespace

const WebModule g_module_ptz{"ptz", kPtzTable};
