// Cookies, header writers and escaping.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "cgi_form.h"

namespace {

// Captures what a writer puts on cgiOut.
template <typename F>
std::string output_of(F &&write) {
    char *buf = nullptr;
    size_t len = 0;
    FILE *out = open_memstream(&buf, &len);
    FILE *saved = cgiOut;
    cgiOut = out;
    write();
    cgiOut = saved;
    fclose(out);
    std::string s(buf, len);
    free(buf);
    return s;
}

struct CookieText {
    explicit CookieText(const char *text) : s(text), saved(cgiCookie) { cgiCookie = s.data(); }
    ~CookieText() { cgiCookie = saved; }
    std::string s;
    char *saved;
};

TEST(Cookies, ExactNameMatchAndCodes) {
    CookieText c("language=en; lang=fr;userName=ad min;  long=0123456789; n=-42; e=");
    char buf[32];
    EXPECT_EQ(cgiCookieString("lang", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "fr");
    EXPECT_EQ(cgiCookieString("userName", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "ad min");
    EXPECT_EQ(cgiCookieString("long", buf, 5), CGI_FORM_TRUNCATED);
    EXPECT_STREQ(buf, "0123");
    EXPECT_EQ(cgiCookieString("e", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(cgiCookieString("la", buf, sizeof buf), CGI_FORM_NOT_FOUND);
    EXPECT_STREQ(buf, "");

    int v = 0;
    EXPECT_EQ(cgiCookieInteger("n", &v, 5), 0);
    EXPECT_EQ(v, -42);
    EXPECT_EQ(cgiCookieInteger("missing", &v, 5), CGI_FORM_NOT_FOUND);
    EXPECT_EQ(v, 5);

    char **names = nullptr;
    ASSERT_EQ(cgiCookies(&names), 0);
    std::string joined;
    for (char **p = names; *p; ++p)
        joined += std::string(*p) + ",";
    EXPECT_EQ(joined, "language,lang,userName,long,n,e,");
    cgiStringArrayFree(names);
}

TEST(Cookies, OverlongValueGivesDefault) {
    std::string text = "big=" + std::string(300, '7');
    CookieText c(text.c_str());
    int v = 0;
    EXPECT_EQ(cgiCookieInteger("big", &v, 3), CGI_FORM_TRUNCATED);
    EXPECT_EQ(v, 3);
}

TEST(Headers, SetCookieExpiresInUtc) {
    time_t before = time(nullptr);
    std::string out = output_of([] { cgiHeaderCookieSetString("sid", "abc", 600, "/", "nvr"); });
    time_t after = time(nullptr);
    bool matched = false;
    for (time_t t = before; t <= after && !matched; ++t) {
        time_t when = t + 600;
        struct tm tm {};
        gmtime_r(&when, &tm);
        char date[64];
        strftime(date, sizeof date, "%a, %d-%b-%Y %H:%M:%S GMT", &tm);
        std::string want =
            "Set-Cookie: sid=abc; domain=nvr; expires=" + std::string(date) + "; path=/\r\n";
        matched = out == want;
    }
    EXPECT_TRUE(matched) << out;
    out = output_of([] { cgiHeaderCookieSetInteger("n", -3, 0, "/x", "d"); });
    EXPECT_EQ(out.rfind("Set-Cookie: n=-3; domain=d; expires=", 0), 0u);
    const std::string tail = " GMT; path=/x\r\n";
    ASSERT_GT(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

TEST(Headers, FixedWriters) {
    EXPECT_EQ(output_of([] { cgiHeaderLocation("/login.htm"); }), "Location: /login.htm\r\n\r\n");
    EXPECT_EQ(output_of([] { cgiHeaderStatus(404, "Not Found"); }),
              "Status: 404 Not Found\r\n\r\n");
    EXPECT_EQ(output_of([] { cgiHeaderContentType("text/html"); }),
              "Content-type: text/html\r\n\r\n");
}

TEST(Escaping, HtmlAndValue) {
    EXPECT_EQ(output_of([] { EXPECT_EQ(cgiHtmlEscape("<a href=\"x\">&amp;</a>"), 0); }),
              "&lt;a href=\"x\"&gt;&amp;amp;&lt;/a&gt;");
    EXPECT_EQ(output_of([] { EXPECT_EQ(cgiValueEscape("say \"hi\" <&>"), 0); }),
              "say &#34;hi&#34; <&>");
    EXPECT_EQ(output_of([] { EXPECT_EQ(cgiHtmlEscapeData("a\0<", 3), 0); }),
              std::string("a\0&lt;", 6));

    FILE *ro = fopen("/dev/null", "r");  // every write fails
    FILE *saved = cgiOut;
    cgiOut = ro;
    setvbuf(ro, nullptr, _IONBF, 0);
    EXPECT_EQ(cgiHtmlEscape("x"), CGI_FORM_IO);
    EXPECT_EQ(cgiValueEscape("\""), CGI_FORM_IO);
    cgiOut = saved;
    fclose(ro);
}

}  // namespace
