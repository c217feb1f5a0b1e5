// UPnP port mapping and the IP access filter (codes of the system module).
#include <string>

#include "network_fields.h"
#include "network_handlers.h"
#include "network_msgs.h"

Answer on_get_upnp_info(Request &) {
    UpnpRecord u{};
    PortsRecord p{};
    read_upnp(KZDB_PATH, &u);
    read_port(KZDB_PATH, &p);
    JsonPtr out = fields_render(kUpnpFields, u);
    fields_render_into(kPortNumbers, &p, out.get());
    return Answer::json(out.get());
}

// The core stores and applies the record; nothing is written here.
Answer on_set_upnp_info(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    UpnpRecord u{};
    read_upnp(KZDB_PATH, &u);
    u.enable = u.type = u.external_http_port = u.external_rtsp_port = 0;
    if (!fields_apply(kUpnpFields, req, u)) return Answer::none();
    cgi_notify(MSG_UPNP_SET, u);
    return Answer::text("OK");
}

Answer on_get_access_filter(Request &) {
    AccessFilterEntry list[KZDB_MAX_ACCESS_FILTER]{};
    int count = 0;
    read_access_filter(KZDB_PATH, list, KZDB_MAX_ACCESS_FILTER, &count);
    JsonOut out;
    out.add("filterEnable", get_param_int(KZDB_PATH, "access_filter_enable", 0));
    out.add("filterType", get_param_int(KZDB_PATH, "access_filter_type", 1));
    json_object *arr = json_object_new_array();
    for (int i = 0; i < count; ++i)
        json_object_array_add(arr, fields_render(kFilterEntryFields, list[i]).release());
    out.add("filterList", arr);
    return Answer::json(out);
}

Answer on_set_access_filter(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    IntRead enable = json_read_int(req, "filterEnable");
    IntRead type = json_read_int(req, "filterType");
    if (enable.got == Got::Bad || type.got == Got::Bad) return Answer::none();
    kzdb::Batch batch(KZDB_PATH);
    int rc = 0;
    if (enable) rc |= set_param_int(KZDB_PATH, "access_filter_enable", enable.value);
    if (type) rc |= set_param_int(KZDB_PATH, "access_filter_type", type.value);
    if (json_object *items = json_get_array(req, "filterList")) {
        AccessFilterEntry list[KZDB_MAX_ACCESS_FILTER]{};
        int count = 0;
        for (size_t i = 0; i < json_len(items) && count < KZDB_MAX_ACCESS_FILTER; ++i) {
            json_object *item = json_at(items, i);
            if (!json_object_is_type(item, json_type_object)) continue;
            if (fields_apply(kFilterEntryFields, item, list[count])) ++count;
        }
        rc |= write_access_filter(KZDB_PATH, list, count);
    }
    if (rc == 0) rc = batch.commit();
    return store_then_tell(rc, Tell().notice_bytes(MSG_ACCESS_FILTER_CHANGED, {}),
                           Answer::text("OK"));
}
