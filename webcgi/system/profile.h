// Configuration export (/1007), its download (/1013) and import (/1008)
// through the profile tool `kzprofile`.
#pragma once

#include "handler.h"

Answer on_export_config(Request &rq);
Answer on_import_config(Request &rq);
Answer on_download_config(Request &rq);
