// Codecs and rules of the special paths: Base64 and URL coding, the /tmp file
// rule, language fragments, the identity fields, address and zip checks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base64.h"
#include "extras.h"
#include "oem_aes.h"
#include "oem_package.h"
#include "oem_zip.h"
#include "tmp_files.h"
#include "url_codec.h"
#include "vbhtm_identity.h"

namespace fs = std::filesystem;
using oemtest::make_zip;

namespace {

TEST(SpecialCodec, Base64UrlAndUrlCoding) {
    EXPECT_EQ(base64EncodeUrl("bell.wav"), "YmVsbC53YXY");
    EXPECT_EQ(base64EncodeUrl(std::string("\xfb\xff", 2)), "-_8");
    EXPECT_EQ(base64EncodeUrl(""), "");
    const struct {
        const char *in;
        std::optional<std::string> out;
    } decode[] = {
        {"YmVsbC53YXY", "bell.wav"},
        {"YmVsbC53YXY=", "bell.wav"},
        {"-_8", std::string("\xfb\xff", 2)},
        {"YmVs+C53", std::nullopt},
        {"YmVs bC53", std::nullopt},
        {"Y", std::nullopt},
        {"YQ==x", std::nullopt},
        {"YQ===", std::nullopt},
        {"", ""},
    };
    for (const auto &c : decode)
        EXPECT_EQ(base64DecodeUrl(c.in), c.out) << c.in;
    EXPECT_EQ(kz_base64_decode("YmVs\r\nbC53YXY="), "bell.wav");
    EXPECT_EQ(kz_base64_decode("YmVs_C53"), std::nullopt);
    EXPECT_EQ(get_url_encode("/tmp/a b;c"), "%2Ftmp%2Fa%20b%3Bc");
    EXPECT_EQ(get_url_decode("%2ftmp%2Fa+b%zz"), "/tmp/a b%zz");
}

TEST(SpecialRules, TmpNamesAndAddresses) {
    for (const char *bad :
         {"", ".hidden", "..", "a/b", "kzcore", "cgilockfile", "pbdownload", ".export_down_file",
          "tmp_diagnostic", "chipinfo.txt", "oem.zip", "log", "a\nb", "a\x7f"})
        EXPECT_FALSE(tmp_name_ok(bad)) << bad;
    for (const char *good : {"bell.wav", "a;touch ${M}", "kzcore2", "logs"})
        EXPECT_TRUE(tmp_name_ok(good)) << good;

    EXPECT_EQ(parse_ipv4("192.168.1.10"), (std::array<int, 4>{192, 168, 1, 10}));
    for (const char *bad : {"", "1.2.3", "1.2.3.4.", "1.2.3.256", "1.2.3.4 ", "a.b.c.d", "1..2.3",
                            "1.2.3.0004", "-1.2.3.4"})
        EXPECT_EQ(parse_ipv4(bad), std::nullopt) << bad;

    EXPECT_EQ(query_value("lang=en-US&page=home&sub=a", "page", 127), "home");
    EXPECT_EQ(query_value("xpage=1&page=2", "page", 127), "2");
    EXPECT_EQ(query_value("page=" + std::string(200, 'p'), "page", 127).size(), 127u);
    EXPECT_EQ(query_value("lang=", "page", 127), "");
}

TEST(SpecialRules, LanguageFragments) {
    const std::string file = testing::TempDir() + "/lang.json";
    std::ofstream(file) << "x\n{//home.json\n\"a\": 1,\n\"b\": 2\n}//home.json\n"
                        << "{//home=net.json\n\"n\": 3\n}//home=net.json\n{//open.json\n\"o\": 4\n"
                        << "{//long.json\n"
                        << std::string(1500, 'L') << "\n}//long.json\n";
    EXPECT_EQ(json_fragment(file, "home", ""), "{\n\"a\": 1,\n\"b\": 2\n\n}");
    EXPECT_EQ(json_fragment(file, "home", "net"), "{\n\"n\": 3\n\n}");
    EXPECT_EQ(json_fragment(file, "none", ""), "");
    // No end marker: everything after the start, no closing.
    EXPECT_EQ(json_fragment(file, "open", ""),
              "{\n\"o\": 4\n{//long.json\n" + std::string(1500, 'L') + "\n}//long.json\n");
    // Long lines are read in pieces of 1023 characters and copied whole.
    EXPECT_EQ(json_fragment(file, "long", ""), "{\n" + std::string(1500, 'L') + "\n\n}");
    EXPECT_EQ(json_fragment(file + ".missing", "home", ""), std::nullopt);
    std::ofstream(file) << "{//big.json\n" << std::string(400 * 1000, 'x') << "\n";
    EXPECT_EQ(json_fragment(file, "big", "")->size(), 307200u);
}

TEST(SpecialRules, IdentityFields) {
    const std::string id = "KZN4232-0123456789ABCDEFGHIJKLMN";
    ASSERT_EQ(id.size(), 32u);
    // Expected: the identity with `text` at `pos`; pos -1: refused.
    const struct {
        bool chip;
        const char *value;
        int pos;
        std::string text;
    } cases[] = {
        {true, "N123456", 3, "123456"},
        {true, "H12", 9, "12"},
        {true, "E1234567", 12, "1234567"},
        {true, "S12345678901", 20, "12345678901"},
        {true, "N1234567", 3, "123456"},  // the rest is ignored
        {true, "KZN9999-000000000000000000000000", 0, "KZN9999-000000000000000000000000"},
        {true, "KZN9999-00000000000000", 0, "KZN9999-000000000000000000000000"},  // padded
        {true, "N12", -1, ""},                                                    // too short
        {true, "KZN12", -1, ""},
        {true, "Q123456", -1, ""},
        {true, "", -1, ""},
        {true, "N12345$", -1, ""},
        {true, "KZN$(touch${IFS}x)", -1, ""},
        {true, "N123;45", -1, ""},
        {true, "KZN9999-0000000000000000000000000", -1, ""},  // 33
        {false, "E12", 12, "E1200000"},
        {false, "H", 9, "H00"},
        {false, "N1", 2, "N100000"},
        {false, "S1", 20, "S10000000000"},
        {false, "E123456789", -1, ""},
        {false, "X1", -1, ""},
        {false, "", -1, ""},
        {false, "N'1", -1, ""},
    };
    for (const auto &c : cases) {
        std::optional<std::string> want;
        if (c.pos >= 0) want = std::string(id).replace(c.pos, c.text.size(), c.text);
        auto got = c.chip ? chip_identity_update(id, c.value) : model_identity_update(id, c.value);
        EXPECT_EQ(got, want) << (c.chip ? "chip " : "model ") << c.value;
    }
    // An identity that is not 32 characters is never rewritten.
    EXPECT_EQ(chip_identity_update(id.substr(0, 20), "N123456"), std::nullopt);
    EXPECT_EQ(model_identity_update(id + "X", "E1"), std::nullopt);
}

TEST(SpecialZip, EntriesAreCheckedBeforeAnything) {
    const struct {
        std::vector<oemtest::ZipItem> items;
        bool ok;
    } cases[] = {
        {{{"logo.jpg", "jpg"}, {"web/index.html", "page"}}, true},
        {{{"../x", "x"}}, false},
        {{{"a/../../x", "x"}}, false},
        {{{"/etc/x", "x"}}, false},
        {{{"a\\..\\x", "x"}}, false},
        {{{"link", "/etc", true}, {"link/x", "x"}}, false},
        {{{"big", std::string(25u << 20, '\0')}}, false},
        {{{"a", std::string(13u << 20, '\0')}, {"b", std::string(12u << 20, '\0')}}, false},
    };
    for (const auto &c : cases) {
        auto entries = zip_entries(make_zip(c.items));
        EXPECT_EQ(entries.has_value(), c.ok) << c.items[0].name;
    }
    EXPECT_EQ(zip_entries("PK not a zip"), std::nullopt);
    std::string cut = make_zip({{"a", "data"}});
    EXPECT_EQ(zip_entries(cut.substr(0, cut.size() - 30)), std::nullopt);
}

TEST(SpecialZip, ExtractsOnlyUnderTheFolderAndDecrypts) {
    const fs::path root = fs::path(testing::TempDir()) / "oemzip";
    fs::remove_all(root);
    fs::create_directories(root / "in");
    fs::create_directories(root / "out");
    fs::create_directory_symlink(root / "out", root / "in" / "old");  // a link already there
    const std::string zip = make_zip({{"a/b.txt", "hello"}, {"top", std::string(5000, 'z')}});
    auto entries = zip_entries(zip);
    ASSERT_TRUE(entries);
    int fd = open((root / "in").c_str(), O_RDONLY | O_DIRECTORY);
    EXPECT_EQ(zip_extract(zip, *entries, fd), 0);
    const std::string through = make_zip({{"old/x", "x"}});
    EXPECT_EQ(zip_extract(through, *zip_entries(through), fd), -1);
    std::string damaged = zip;
    damaged[40] ^= 0x55;  // inside the first entry's data
    EXPECT_EQ(zip_extract(damaged, *entries, fd), -1);
    close(fd);
    EXPECT_TRUE(fs::is_empty(root / "out"));
    std::ifstream in(root / "in" / "a" / "b.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "hello");
    EXPECT_EQ(fs::file_size(root / "in" / "top"), 5000u);

    std::string plain;
    const std::string sealed = oemtest::encrypt("zip bytes", "k3y");
    EXPECT_EQ(aesDecryWeb(sealed, "k3y", plain), 9);
    EXPECT_EQ(plain, "zip bytes");
    EXPECT_LT(aesDecryWeb(sealed, "other", plain), 1);
    EXPECT_LT(aesDecryWeb(sealed.substr(0, 16), "k3y", plain), 1);
}

}  // namespace
