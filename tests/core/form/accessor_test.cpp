// Field accessors over parsed entries, and the environment loader.
#include <gtest/gtest.h>

#include <cstdlib>

#include "form_test_util.h"

using formtest::Part;

namespace {

class Accessors : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(formtest::parse(formtest::make_body({
                      {"text", "a\r\n\r\nb"},
                      {"mixed", "x\r\r\ny\nz\r"},
                      {"breaks", "\r\n"},
                      {"empty", ""},
                      {"num", " -12x"},
                      {"bad", "x1"},
                      {"blank", " \t"},
                      {"big", "99999999999"},
                      {"dbl", "\n.5e1"},
                      {"nan", "-nan"},
                      {"color", "green"},
                      {"color", "red"},
                      {"color", "purple"},
                      {"file", "0123456789", "dir/up.bin", "image/png"},
                      {"nofile", "", "", ""},
                  })),
                  CGI_PARSE_SUCCESS);
    }
    void TearDown() override { cgiFreeResources(); }
};

TEST_F(Accessors, StringsNormaliseLineBreaks) {
    char buf[64];
    EXPECT_EQ(cgiFormString("text", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "a\n\nb");
    EXPECT_EQ(cgiFormStringNoNewlines("text", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "ab");
    EXPECT_EQ(cgiFormString("mixed", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "x\n\ny\nz\n");
    EXPECT_EQ(cgiFormStringNoNewlines("breaks", buf, sizeof buf), CGI_FORM_EMPTY);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(cgiFormString("empty", buf, sizeof buf), CGI_FORM_EMPTY);
    EXPECT_EQ(cgiFormString("text", buf, 3), CGI_FORM_TRUNCATED);
    EXPECT_STREQ(buf, "a\n");
    strcpy(buf, "junk");
    EXPECT_EQ(cgiFormString("absent", buf, sizeof buf), CGI_FORM_NOT_FOUND);
    EXPECT_STREQ(buf, "");

    int need = 0;
    EXPECT_EQ(cgiFormStringSpaceNeeded("text", &need), 0);
    EXPECT_EQ(need, 7);
    EXPECT_EQ(cgiFormStringSpaceNeeded("absent", &need), CGI_FORM_NOT_FOUND);
    EXPECT_EQ(need, 1);
}

TEST_F(Accessors, MultipleValuesAndEntryNames) {
    char **values = nullptr;
    ASSERT_EQ(cgiFormStringMultiple("color", &values), 0);
    ASSERT_NE(values, nullptr);
    EXPECT_STREQ(values[0], "green");
    EXPECT_STREQ(values[2], "purple");
    EXPECT_EQ(values[3], nullptr);
    cgiStringArrayFree(values);
    ASSERT_EQ(cgiFormStringMultiple("absent", &values), CGI_FORM_NOT_FOUND);
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values[0], nullptr);
    cgiStringArrayFree(values);

    char **names = nullptr;
    ASSERT_EQ(cgiFormEntries(&names), 0);
    int n = 0;
    while (names[n])
        ++n;
    EXPECT_EQ(n, 13);  // "color" once
    EXPECT_STREQ(names[10], "color");
    EXPECT_STREQ(names[11], "file");
    cgiStringArrayFree(names);
}

TEST_F(Accessors, Numbers) {
    int i = 0;
    EXPECT_EQ(cgiFormInteger("num", &i, 7), 0);
    EXPECT_EQ(i, -12);
    EXPECT_EQ(cgiFormInteger("bad", &i, 7), CGI_FORM_BAD_TYPE);
    EXPECT_EQ(i, 7);
    EXPECT_EQ(cgiFormInteger("blank", &i, 7), CGI_FORM_BAD_TYPE);
    EXPECT_EQ(cgiFormInteger("empty", &i, 7), CGI_FORM_EMPTY);
    EXPECT_EQ(i, 7);
    EXPECT_EQ(cgiFormInteger("absent", &i, 7), CGI_FORM_NOT_FOUND);
    EXPECT_EQ(cgiFormInteger("big", &i, 7), 0);
    EXPECT_EQ(i, 2147483647);  // clamped, never wrapped
    EXPECT_EQ(cgiFormIntegerBounded("num", &i, -5, 5, 0), CGI_FORM_CONSTRAINED);
    EXPECT_EQ(i, -5);
    EXPECT_EQ(cgiFormIntegerBounded("num", &i, -20, -15, 0), CGI_FORM_CONSTRAINED);
    EXPECT_EQ(i, -15);
    EXPECT_EQ(cgiFormIntegerBounded("bad", &i, 0, 5, 3), CGI_FORM_BAD_TYPE);
    EXPECT_EQ(i, 3);

    double d = 0;
    EXPECT_EQ(cgiFormDouble("dbl", &d, 1.0), 0);
    EXPECT_DOUBLE_EQ(d, 5.0);
    EXPECT_EQ(cgiFormDouble("num", &d, 1.0), 0);
    EXPECT_DOUBLE_EQ(d, -12.0);
    EXPECT_EQ(cgiFormDouble("nan", &d, 1.5), CGI_FORM_BAD_TYPE);
    EXPECT_DOUBLE_EQ(d, 1.5);
    EXPECT_EQ(cgiFormDoubleBounded("dbl", &d, 0, 2.5, 0), CGI_FORM_CONSTRAINED);
    EXPECT_DOUBLE_EQ(d, 2.5);
    EXPECT_EQ(cgiFormDoubleBounded("absent", &d, 0, 2.5, 9), CGI_FORM_NOT_FOUND);
    EXPECT_DOUBLE_EQ(d, 9);
}

TEST_F(Accessors, Choices) {
    const char *choices[] = {"red", "green", "blue"};
    int idx = -1;
    EXPECT_EQ(cgiFormSelectSingle("color", choices, 3, &idx, 9), 0);
    EXPECT_EQ(idx, 1);  // first entry of the name counts
    EXPECT_EQ(cgiFormRadio("text", choices, 3, &idx, 9), CGI_FORM_NO_SUCH_CHOICE);
    EXPECT_EQ(idx, 9);
    EXPECT_EQ(cgiFormSelectSingle("absent", choices, 3, &idx, 8), CGI_FORM_NOT_FOUND);
    EXPECT_EQ(idx, 8);

    int flags[3] = {7, 7, 7};
    int invalid = -1;
    EXPECT_EQ(cgiFormCheckboxMultiple("color", choices, 3, flags, &invalid), 0);
    EXPECT_EQ(flags[0] + flags[1] * 10 + flags[2] * 100, 11);
    EXPECT_EQ(invalid, 1);  // "purple"
    EXPECT_EQ(cgiFormSelectMultiple("num", choices, 3, flags, &invalid), CGI_FORM_NOT_FOUND);
    EXPECT_EQ(flags[0] + flags[1] + flags[2], 0);
    EXPECT_EQ(invalid, 1);
    EXPECT_EQ(cgiFormCheckboxSingle("empty"), 0);
    EXPECT_EQ(cgiFormCheckboxSingle("absent"), CGI_FORM_NOT_FOUND);
}

TEST_F(Accessors, Files) {
    char buf[64];
    EXPECT_EQ(cgiFormFileName("file", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "dir/up.bin");
    EXPECT_EQ(cgiFormFileName("file", buf, 4), CGI_FORM_TRUNCATED);
    EXPECT_STREQ(buf, "dir");
    EXPECT_EQ(cgiFormFileName("text", buf, sizeof buf), CGI_FORM_NO_FILE_NAME);
    EXPECT_EQ(cgiFormFileName("absent", buf, sizeof buf), CGI_FORM_NOT_FOUND);
    EXPECT_EQ(cgiFormFileContentType("file", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "image/png");
    EXPECT_EQ(cgiFormFileContentType("nofile", buf, sizeof buf), CGI_FORM_NO_CONTENT_TYPE);

    int size = -1;
    EXPECT_EQ(cgiFormFileSize("file", &size), 0);
    EXPECT_EQ(size, 10);
    EXPECT_EQ(cgiFormFileSize("text", &size), CGI_FORM_NOT_A_FILE);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(cgiFormFileSize("absent", &size), CGI_FORM_NOT_FOUND);

    cgiFilePtr f = nullptr;
    EXPECT_EQ(cgiFormFileOpen("text", &f), CGI_FORM_NOT_A_FILE);
    EXPECT_EQ(cgiFormFileOpen("absent", &f), CGI_FORM_NOT_FOUND);
    ASSERT_EQ(cgiFormFileOpen("file", &f), 0);
    int got = 0;
    std::string all;
    while (cgiFormFileRead(f, buf, 4, &got) == 0)
        all.append(buf, got);
    EXPECT_EQ(got, 0);
    EXPECT_EQ(all, "0123456789");
    EXPECT_EQ(cgiFormFileClose(f), 0);
    EXPECT_EQ(cgiFormFileRead(nullptr, buf, 4, &got), CGI_FORM_NO_FILE_HANDLE);
    EXPECT_EQ(cgiFormFileClose(nullptr), CGI_FORM_NO_FILE_HANDLE);

    const FormEntry *e = cgiFormEntryFind("file");
    ASSERT_NE(e, nullptr);
    unlink(formtest::host(e->tempFileName).c_str());
    EXPECT_EQ(cgiFormFileOpen("file", &f), CGI_FORM_IO);
    EXPECT_EQ(f, nullptr);
}

TEST(Environment, LoadsVariablesSplitsContentTypeAndClampsLength) {
    setenv("REQUEST_METHOD", "POST", 1);
    setenv("HTTP_HOST", "10.0.0.2:8080", 1);
    unsetenv("QUERY_STRING");
    setenv("CONTENT_TYPE", "Multipart/Form-Data; charset=x;  BOUNDARY=abc def; boundary=no", 1);
    setenv("CONTENT_LENGTH", "-5", 1);
    cgiLoadEnvironment();
    EXPECT_STREQ(cgiRequestMethod, "POST");
    EXPECT_STREQ(cgiServerAddr, "10.0.0.2:8080");
    EXPECT_STREQ(cgiQueryString, "");
    EXPECT_STREQ(cgiContentType, "Multipart/Form-Data");
    EXPECT_STREQ(cgiMultipartBoundary, "abc");
    EXPECT_EQ(cgiContentLength, 0);
    EXPECT_FALSE(cgiEnvironmentRestored());

    setenv("CONTENT_TYPE", ("text/plain" + std::string(2000, 'x')).c_str(), 1);
    setenv("CONTENT_LENGTH", " 42abc", 1);
    cgiLoadEnvironment();
    EXPECT_EQ(strlen(cgiContentType), 1023u);
    EXPECT_STREQ(cgiMultipartBoundary, "");
    EXPECT_EQ(cgiContentLength, 42);
    unsetenv("CONTENT_TYPE");
    unsetenv("CONTENT_LENGTH");
    cgiLoadEnvironment();
    EXPECT_STREQ(cgiContentType, "");
    EXPECT_EQ(cgiContentLength, 0);
}

}  // namespace
