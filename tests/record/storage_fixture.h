// Shared pieces of the storage process tests: the store bound to the scratch
// root, reply payload builders and JSON reading of replies.
#pragma once

#include <json-c/json.h>

#include <cstring>
#include <string>
#include <vector>

#include "fixture.h"
#include "kzdb_records_storage.h"
#include "storage_msgs.h"

namespace storage_test {

inline const std::string kText = "Content-type: text/plain\r\n\r\n";
inline const std::string kJson = "Content-type: application/json\r\n\r\n";
inline const std::string kJsonError = kJson + "{status:\"CGI ERROR\"}";
inline const std::string kTextError = kText + "CGI ERROR";

template <class T>
std::string bytes(const T &v) {
    return std::string(reinterpret_cast<const char *>(&v), sizeof v);
}

inline std::string i32(int32_t v) {
    return bytes(v);
}

template <size_t N>
void put_text(char (&field)[N], const std::string &s) {
    std::memset(field, 0, N);
    std::memcpy(field, s.data(), s.size() < N ? s.size() : N);
}

class Storage : public proc::DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
    }
    void TearDown() override {
        kzdb::bind_path(KZDB_PATH, nullptr);
        DeviceTest::TearDown();
    }
    // Every run exits 0 with the sanitizers silent.
    proc::Result get(const std::string &code, const std::string &query) {
        return checked(DeviceTest::get(code, query));
    }
    proc::Result post(const std::string &code, const std::string &body) {
        return checked(DeviceTest::post(code, body));
    }
    static proc::Result checked(proc::Result r) {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
        return r;
    }
    std::vector<int> types() {
        std::vector<int> t;
        for (const proc::JournalEntry &e : journal())
            t.push_back(e.type);
        return t;
    }
    // The parsed body of a JSON answer (null when it is none).
    static json_object *body(const proc::Result &r) {
        if (r.out.rfind(kJson, 0) != 0) return nullptr;
        return json_tokener_parse(r.out.c_str() + kJson.size());
    }
    DiskRecord nas(int port, int type, const std::string &address) {
        DiskRecord d{};
        d.port = port, d.enable = 1, d.disk_type = type, d.flags = 1;
        put_text(d.vendor, "vend");
        put_text(d.address, address);
        put_text(d.directory, "/share");
        put_text(d.user_name, "u@x");
        put_text(d.password, "p w");
        return d;
    }
};

// The int32 at `off` of the packed log detail (offset 152 of the record).
inline int32_t detail32(const std::string &log, size_t off) {
    return proc::le32(log, 152 + off);
}

}  // namespace storage_test
