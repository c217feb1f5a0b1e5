// Looks a waited request type up in the demo tables of every feature area.
#include "demo_replies.h"

#include "replies.h"

namespace coresim {

std::optional<Answer> answer_from_demo(uint32_t request_type,
                                       std::span<const unsigned char> request) {
    for (std::span<const DemoEntry> table :
         {kDemoSystem, kDemoCamera, kDemoEvent, kDemoStorage, kDemoRecord, kDemoNetwork, kDemoPtz,
          kDemoSysinfo, kDemoAlarm, kDemoUpgrade, kDemoLog, kDemoVca, kDemoAnpr, kDemoStatus,
          kDemoExtras, kDemoOsd, kDemoService}) {
        for (const DemoEntry &e : table) {
            if (e.request_type != request_type) continue;
            Answer a;
            a.type = request_type + 5000u;
            if (e.later) {
                Later l = e.later(request);
                if (l.fd < 0) return std::nullopt;
                a.later_fd = l.fd;
                a.later = std::move(l.finish);
                return a;
            }
            Payload p = e.make(request);
            if (p.empty()) return std::nullopt;
            a.parts.push_back(std::move(p));
            return a;
        }
    }
    for (const DemoStreamEntry &e : kDemoStreams) {
        if (e.request_type != request_type) continue;
        Answer a;
        a.type = request_type + 5000u;
        a.source = e.open(request);
        if (!a.source) return std::nullopt;
        return a;
    }
    return std::nullopt;
}

}  // namespace coresim
