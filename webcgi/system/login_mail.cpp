// Sign-in through the link of an alarm mail: the core daemon judges the link.
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "account_msgs.h"
#include "cgi_form.h"
#include "handler.h"
#include "login.h"
#include "text.h"

namespace {

constexpr int kMailCookieSeconds = 600;
constexpr size_t kDomainMax = 49;

struct MailCookie {
    const char *name;
    const char *value;
};
constexpr MailCookie kMailCookies[] = {
    {"userName", "temp"}, {"userType", "2"},     {"permission", "0"},
    {"sessionId", "0"},   {"language", "en-US"},
};

bool is_host_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
}

bool is_ipv6_char(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

}  // namespace

// Cut at anything a host name cannot hold, so HTTP_HOST cannot add cookie
// attributes or header lines.
std::string mail_cookie_domain(std::string_view host) {
    if (!host.empty() && host[0] == '[') {
        size_t end = host.find(']');
        if (end == std::string_view::npos || end + 1 > kDomainMax) return {};
        for (char c : host.substr(1, end - 1))
            if (!is_ipv6_char(c)) return {};
        return std::string(host.substr(0, end + 1));
    }
    host = host.substr(0, host.find(':')).substr(0, kDomainMax);
    size_t n = 0;
    while (n < host.size() && is_host_char(host[n]))
        n++;
    return std::string(host.substr(0, n));
}

Answer on_user_login_from_mail(Request &rq) {
    if (!*rq.text) return Answer::none();
    char link[256] = {};
    copy_text(link, rq.text);
    return cgi_query(
        MSG_MAIL_LOGIN, link,
        [](const ReplyView &r) {
            int32_t verdict = 1;  // a reply without a verdict grants nothing
            r.get(0, verdict);
            if (verdict != 0) return Answer::redirect("../../html/home.html");
            std::string domain = mail_cookie_domain(cgiServerAddr);
            std::vector<Answer::Cookie> cookies;
            for (const MailCookie &c : kMailCookies)
                cookies.push_back({c.name, c.value, kMailCookieSeconds, "/", domain});
            return Answer::redirect("../../html/index.html", std::move(cookies));
        },
        Answer::error(CGI_TEXT));
}
