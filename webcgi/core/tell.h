// The common ending of a code that changes settings: write the store, and
// only when that worked tell the core daemon (notices, then the operation
// log) and answer. A failed write answers the code's failure and sends nothing.
//
//     kzdb::Batch batch(KZDB_PATH);
//     write_motion(KZDB_PATH, &rec);
//     return store_then_tell(batch.commit(),
//                            Tell().notice(MSG_MOTION_CHANGED, chn).log(LOG_SUB_SET_PARAM, 911,
//                            chn), Answer::text("OK"));
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

#include "answer.h"
#include "cgi_log.h"
#include "cgi_response.h"

class Tell {
  public:
    struct Notice {
        int type;
        std::vector<unsigned char> bytes;
    };
    struct Log {
        int64_t sub_type;
        int32_t param_type;
        int32_t channel;  // as it goes in the record (callers add 1 where documented)
        std::function<void(OperationLogRecord &)> fill;  // extra bytes (detail blocks)
    };

    template <class T>
    Tell &&notice(int type, const T &payload) && {
        static_assert(std::is_trivially_copyable_v<T>);
        const auto *p = reinterpret_cast<const unsigned char *>(&payload);
        notices_.push_back({type, {p, p + sizeof payload}});
        return std::move(*this);
    }
    Tell &&notice_bytes(int type, std::vector<unsigned char> bytes) && {
        notices_.push_back({type, std::move(bytes)});
        return std::move(*this);
    }
    Tell &&log(int64_t sub_type, int32_t param_type, int32_t channel,
               std::function<void(OperationLogRecord &)> fill = {}) && {
        logs_.push_back({sub_type, param_type, channel, std::move(fill)});
        return std::move(*this);
    }
    // Sends the notices in order, then the log records. 0, or -1 when a send failed.
    int send() const;

  private:
    std::vector<Notice> notices_;
    std::vector<Log> logs_;
};

// store_rc 0: sends `tell` and returns `ok`; otherwise returns `fail` and sends nothing.
Answer store_then_tell(int store_rc, const Tell &tell, Answer ok,
                       Answer fail = Answer::error(CGI_TEXT));

// One operation-log record (message 3485) for this request: kind 4, client
// and user filled in, then sub-type, parameter type and channel. 0 or -1.
int cgi_log_operation(int64_t sub_type, int32_t param_type, int32_t channel,
                      const std::function<void(OperationLogRecord &)> &fill = {});
