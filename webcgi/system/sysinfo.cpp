#include "sysinfo.h"

#include <cstdlib>

#include "shell.h"

namespace {

// A setting read as the client forms read it: text of at most 7 characters, decimal.
int setting_int(const char *key, const char *def) {
    char buf[8];
    get_param_value(KZDB_PATH, key, buf, sizeof buf, def);
    return std::atoi(buf);
}

std::string setting_text(const char *key, int width, const char *def) {
    char buf[64];
    get_param_value(KZDB_PATH, key, buf, width + 1, def);
    return buf;
}

std::string read_uptime() {
    const char *argv[] = {"uptime", nullptr};
    std::string out;
    run_argv_output(argv, out, 63);
    size_t nl = out.find('\n');
    if (nl != std::string::npos) out.resize(nl + 1);  // one line, as a line read gives it
    return cut_uptime(out);
}

Answer clear_setting(const char *key) {
    kzdb::Batch batch(KZDB_PATH);
    int rc = put_param_int(KZDB_PATH, key, 0);
    return store_then_tell(rc == 0 ? batch.commit() : -1, Tell(), Answer::text("OK"));
}

}  // namespace

std::string cut_uptime(std::string_view text) {
    size_t end = text.size();
    if (size_t at = text.find("users"); at != std::string_view::npos)
        end = at >= 5 ? at - 5 : 0;
    else if (size_t l = text.find('l'); l != std::string_view::npos)
        end = l >= 2 ? l - 2 : 0;
    return std::string(text.substr(0, end));
}

JsonPtr get_system_info_json_object(const SysInfoRecord &rec, const std::string &uptime) {
    JsonOut res;
    res.add("displayNum", rec.display_num)
        .add("maxAudioOut", rec.max_audio_out)
        .add("maxNetworkLan", rec.max_lan)
        .add("maxSensor", rec.max_sensor)
        .add("maxAlarm", rec.max_alarm)
        .add("maxCameras", rec.max_cameras)
        .add("masRs485", rec.max_rs485);
    JsonOut o;
    o.add("hostName", "")
        .add("deviceName", json_field(rec.model))
        .add("deviceId", rec.device_id)
        .add("product", json_field(rec.model))
        .add("hwver", json_field(rec.hardware))
        .add("software", json_field(rec.software))
        .add("oemversion", rec.oem_version)
        .add("sn", json_field(rec.serial))
        .add("prefix", json_field(rec.prefix))
        .add("pluginVersion", setting_text("plugin_version", 31, "1.0").c_str())
        .add("mpluginVersion", setting_text("mplugin_version", 31, "1.0").c_str())
        .add("macAddress", json_field(rec.mac))
        .add("kzddns", rec.kzddns)
        .add("uptime", uptime.c_str())
        .add("sncode", json_field(rec.serial))
        .add("resource", res.release())
        .add("kzfsDbup", setting_int("kzfs_dbup", "0"))
        .add("transProtocol", setting_int("transport_protocol", "0"))
        .add("streamInfo", setting_int("stream_information", "0"))
        .add("oemonlineupdate", setting_int("oemupdateonline", "0"))
        .add("company", setting_text("company", 63, "Kazmero").c_str())
        .add("isSupportTalk", rec.support_talk);
    return JsonPtr(o.release());
}

Answer on_get_system_info(Request &) {
    return cgi_query(
        MSG_SYS_INFO, nullptr, 0,
        [](const ReplyView &r) {
            SysInfoRecord rec;
            if (!r.get(0, rec)) return Answer::error(CGI_JSON);  // shorter than one record
            return Answer::json(get_system_info_json_object(rec, read_uptime()).get());
        },
        Answer::error(CGI_JSON));
}

Answer on_set_system_info(Request &rq) {
    json_object *req = rq.json();
    NetworkHostView net;
    char host[sizeof net.host_name];
    IntRead id = json_read_int(req, "deviceId", kDeviceIds);
    if (!req || !json_get(req, "hostName") || !id) return Answer::none();
    copy_text(host, json_string(req, "hostName"));
    if (!host[0]) return Answer::none();

    kzdb::Batch batch(KZDB_PATH);
    read_network_host(KZDB_PATH, &net);
    copy_text(net.host_name, host);
    int rc = write_network_host(KZDB_PATH, &net) | put_param_int(KZDB_PATH, "deviceid", id.value);
    return store_then_tell(rc == 0 ? batch.commit() : -1,
                           Tell()
                               .notice(MSG_SYS_DEVICE_ID, int32_t{id.value})
                               .notice(MSG_SYS_SETTING_CHANGED, SysSettingName{"hostname"}),
                           Answer::text("OK"));
}

Answer on_set_system_log(Request &) {
    cgi_log_operation(LOG_SUB_SYS_1014, LOG_PARAM_SYSTEM, 0);
    return Answer::text("OK");
}

Answer on_clear_kzfs_dbup(Request &) {
    return clear_setting("kzfs_dbup");
}

Answer on_clear_permission_update(Request &) {
    return clear_setting("permission_update");
}
