// Cookies, header writers and escaping.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cgi_form.h"

namespace {

bool is_space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Value of cookie `name` in cgiCookie; false when absent.
bool find_cookie(std::string_view name, std::string_view &value) {
    std::string_view all = cgiCookie;
    size_t i = 0;
    while (i < all.size()) {
        while (i < all.size() && is_space(all[i]))
            ++i;
        size_t end = std::min(all.find(';', i), all.size());
        std::string_view item = all.substr(i, end - i);
        if (item.size() > name.size() && item.substr(0, name.size()) == name &&
            item[name.size()] == '=') {
            value = item.substr(name.size() + 1);
            return true;
        }
        i = end + 1;
    }
    return false;
}

int write_escaped(const char *data, int len, bool html) {
    for (int i = 0; i < len; ++i) {
        const char *rep = nullptr;
        char c = data[i];
        if (html && c == '&') rep = "&amp;";
        if (html && c == '<') rep = "&lt;";
        if (html && c == '>') rep = "&gt;";
        if (!html && c == '"') rep = "&#34;";
        bool ok = rep ? fputs(rep, cgiOut) >= 0 : putc(c, cgiOut) != EOF;
        if (!ok) return CGI_FORM_IO;
    }
    return CGI_FORM_SUCCESS;
}

}  // namespace

int cgiCookieString(const char *name, char *result, int space) {
    std::string_view value;
    if (!name || !find_cookie(name, value)) {
        if (space > 0) result[0] = '\0';
        return CGI_FORM_NOT_FOUND;
    }
    if (space <= 0) return value.empty() ? CGI_FORM_SUCCESS : CGI_FORM_TRUNCATED;
    size_t n = std::min(value.size(), static_cast<size_t>(space - 1));
    memcpy(result, value.data(), n);
    result[n] = '\0';
    return n < value.size() ? CGI_FORM_TRUNCATED : CGI_FORM_SUCCESS;
}

int cgiCookieInteger(const char *name, int *result, int defaultV) {
    char buf[256];
    int r = cgiCookieString(name, buf, sizeof buf);
    if (r != CGI_FORM_SUCCESS) {
        *result = defaultV;
        return r;
    }
    long long v = strtoll(buf, nullptr, 10);
    *result = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    return CGI_FORM_SUCCESS;
}

int cgiCookies(char ***result) {
    *result = nullptr;
    std::vector<std::string_view> names;
    std::string_view all = cgiCookie;
    try {
        size_t i = 0;
        while (i < all.size()) {
            while (i < all.size() && is_space(all[i]))
                ++i;
            size_t end = std::min(all.find(';', i), all.size());
            size_t eq = all.find('=', i);
            if (eq < end) names.push_back(all.substr(i, eq - i));
            i = end + 1;
        }
    } catch (const std::bad_alloc &) {
        return CGI_FORM_MEMORY;
    }
    char **arr = static_cast<char **>(calloc(names.size() + 1, sizeof(char *)));
    if (!arr) return CGI_FORM_MEMORY;
    for (size_t k = 0; k < names.size(); ++k) {
        arr[k] = strndup(names[k].data(), names[k].size());
        if (!arr[k]) {
            cgiStringArrayFree(arr);
            return CGI_FORM_MEMORY;
        }
    }
    *result = arr;
    return CGI_FORM_SUCCESS;
}

void cgiHeaderCookieSetString(const char *name, const char *value, int secondsToLive,
                              const char *path, const char *domain) {
    static constexpr const char *kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char *kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // Summed wide: a 32-bit time_t plus a large lifetime must not overflow.
    time_t when = static_cast<time_t>(static_cast<long long>(time(nullptr)) + secondsToLive);
    struct tm t {};
    gmtime_r(&when, &t);
    fprintf(cgiOut,
            "Set-Cookie: %s=%s; domain=%s; expires=%s, %02d-%s-%04d %02d:%02d:%02d GMT; "
            "path=%s\r\n",
            name, value, domain, kDays[t.tm_wday % 7], t.tm_mday, kMonths[t.tm_mon % 12],
            t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec, path);
}

void cgiHeaderCookieSetInteger(const char *name, int value, int secondsToLive, const char *path,
                               const char *domain) {
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    cgiHeaderCookieSetString(name, text, secondsToLive, path, domain);
}

void cgiHeaderLocation(const char *redirectUrl) {
    fprintf(cgiOut, "Location: %s\r\n\r\n", redirectUrl);
}

void cgiHeaderStatus(int status, const char *statusMessage) {
    fprintf(cgiOut, "Status: %d %s\r\n\r\n", status, statusMessage);
}

void cgiHeaderContentType(const char *mimeType) {
    fprintf(cgiOut, "Content-type: %s\r\n\r\n", mimeType);
}

int cgiHtmlEscapeData(const char *data, int len) {
    return write_escaped(data, len, true);
}

int cgiHtmlEscape(const char *s) {
    return cgiHtmlEscapeData(s, static_cast<int>(strlen(s)));
}

int cgiValueEscapeData(const char *data, int len) {
    return write_escaped(data, len, false);
}

int cgiValueEscape(const char *s) {
    return cgiValueEscapeData(s, static_cast<int>(strlen(s)));
}
