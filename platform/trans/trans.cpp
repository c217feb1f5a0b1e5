#include "trans.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Name {
    int id;
    const char *text;
};

// English names. Ids without an entry here but inside a known range get a
// neutral numbered name (see english()).
constexpr Name kEnglish[] = {
    {1, "All"},
    {2, "Event"},
    {3, "Operation"},
    {4, "Information"},
    {5, "Exception"},
    {6, "Debug"},
    {10, "All"},
    {11, "Motion Detection Start"},
    {12, "Motion Detection Stop"},
    {13, "Alarm Input Start"},
    {14, "Alarm Input Stop"},
    {15, "Alarm Output Start"},
    {16, "Alarm Output Stop"},
    {17, "Video Loss Start"},
    {18, "Video Loss Stop"},
    {101, "Login"},
    {102, "Logout"},
    {200, "Restart"},
    {201, "Login"},
    {202, "Shutdown"},
    {203, "Upgrade"},
    {204, "Save Parameters"},
    {206, "PTZ Control"},
    {207, "Format Disk"},
    {209, "Playback"},
    {210, "Add Camera"},
    {211, "Delete Camera"},
    {213, "Export Configuration"},
    {214, "Import Configuration"},
    {215, "Factory Restore"},
    {217, "Live Picture Adjustment"},
    {224, "Remove Disk"},
    {225, "Time Change"},
    {400, "Disk Full"},
    {401, "Disk Error"},
    {402, "No Disk"},
    {403, "Network Disconnected"},
    {404, "IP Conflict"},
    {406, "Address Conflict"},
    {500, "System Start"},
    {501, "System Stop"},
    {900, "System"},
    {901, "Add Camera"},
    {902, "Delete Camera"},
    {903, "Camera Settings"},
    {904, "PTZ"},
    {905, "Record Mode"},
    {907, "Record Schedule"},
    {908, "Video Loss"},
    {909, "Motion Detection"},
    {911, "Alarm Output"},
    {913, "General Settings"},
    {914, "Network"},
    {915, "PPPoE"},
    {916, "DDNS"},
    {917, "E-mail"},
    {918, "Push Messages"},
    {919, "Disk Settings"},
    {920, "Holidays"},
    {921, "Users"},
    {922, "User Permissions"},
    {923, "Camera Alarm Input"},
    {924, "Sound Detection"},
    {925, "Alarm Audio"},
};

struct Range {
    int lo, hi;
    const char *prefix;
};
// Id ranges of the log sub types and parameters without a name of their own.
constexpr Range kNumbered[] = {
    {11, 44, "Event"},       {101, 143, "Operation"},   {200, 225, "Operation"},
    {400, 413, "Exception"}, {500, 519, "Information"}, {600, 603, "Debug"},
    {900, 999, "Parameter"},
};

using Lookup = std::string (*)(int);

std::string english(int id) {
    for (const Name &n : kEnglish)
        if (n.id == id) return n.text;
    for (const Range &r : kNumbered)
        if (id >= r.lo && id <= r.hi) return std::string(r.prefix) + " " + std::to_string(id);
    return {};
}

struct Language {
    const char *code;
    Lookup lookup;
};
constexpr Language kLanguages[] = {{"en-US", english}, {"en", english}};

Lookup g_current = nullptr;

}  // namespace

int trans_init(const char *language) {
    g_current = nullptr;
    if (!language) return -1;
    for (const Language &l : kLanguages)
        if (std::strcmp(l.code, language) == 0) g_current = l.lookup;
    return g_current ? 0 : -1;
}

int trans_get_value(int id, char *buf, size_t size) {
    if (!buf || size == 0) return -1;
    buf[0] = '\0';
    std::string name = g_current ? g_current(id) : std::string();
    if (name.empty()) return -1;
    std::snprintf(buf, size, "%s", name.c_str());
    return 0;
}

void trans_deinit() {
    g_current = nullptr;
}
