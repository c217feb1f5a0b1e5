// The event action set: the record fields that every event kind shares, by JSON key.
#include <cstring>
#include <string>

#include "event_codec.h"
#include "text.h"

namespace {

constexpr size_t kMaskWidth = 65;

// An integer field: its key and where EventActionFields keeps it.
struct IntKey {
    const char *key;
    int32_t *EventActionFields::*field;
};

constexpr IntKey kIntKeys[] = {
    {"enable", &EventActionFields::enable},
    {"triAlarms", &EventActionFields::tri_alarms},
    {"interval", &EventActionFields::interval},
    {"email_enable", &EventActionFields::email_enable},
    {"email_interval", &EventActionFields::email_interval},
    {"email_pic_enable", &EventActionFields::email_pic_enable},
    {"ptz_interval", &EventActionFields::ptz_interval},
    {"alarmout_interval", &EventActionFields::alarmout_interval},
    {"white_interval", &EventActionFields::white_interval},
    {"http_notification_interval", &EventActionFields::http_notification_interval},
    {"audioId", &EventActionFields::audio_id},
};

int set_text_key(json_object *req, const char *key, char *field) {
    json_object *v = json_get(req, key);
    if (!v || !field) return 0;
    copy_text(field, kMaskWidth, json_object_get_string(v));
    return 1;
}

int set_tri_chn_alarms(json_object *req, const EventActionFields &f) {
    json_object *list = json_get_array(req, "triChnAlarms");
    if (!list || !f.tri_chn_alarms) return 0;
    int set = 0;
    for (size_t i = 0; i < 2; i++) {
        json_object *v = json_at(list, i);
        if (!v) continue;
        copy_text(f.tri_chn_alarms[i], json_object_get_string(v));
        set++;
    }
    return set;
}

std::string mask_text(const char *field) {
    return std::string(field_text(field, kMaskWidth));
}

}  // namespace

int get_event_action_by_json(json_object *req, const EventActionFields &f) {
    if (!json_object_is_type(req, json_type_object)) return 0;
    int set = 0;
    for (const IntKey &k : kIntKeys) {
        int32_t *field = f.*(k.field);
        if (field && on_cgi_get_int_from_json(req, k.key, field) == 0) set++;
    }
    if (set_text_key(req, "triChannels", f.tri_channels)) {
        if (f.tri_channels_bits)
            *f.tri_channels_bits = get_channel_mask_bits(f.tri_channels, kMaskWidth);
        if (f.tri_channels_mask)
            *f.tri_channels_mask = get_channel_mask(f.tri_channels, kMaskWidth);
        set++;
    }
    set += set_text_key(req, "tri_channels_pic", f.tri_channels_pic);
    set += set_tri_chn_alarms(req, f);
    return set;
}

json_object *get_event_action_json_value(const EventActionFields &f, const char *key) {
    if (!key) return nullptr;
    for (const IntKey &k : kIntKeys) {
        int32_t *field = f.*(k.field);
        if (std::strcmp(k.key, key) == 0) return field ? json_object_new_int(*field) : nullptr;
    }
    if (std::strcmp(key, "triChannels") == 0 && f.tri_channels)
        return json_object_new_string(mask_text(f.tri_channels).c_str());
    if (std::strcmp(key, "tri_channels_pic") == 0 && f.tri_channels_pic)
        return json_object_new_string(mask_text(f.tri_channels_pic).c_str());
    if (std::strcmp(key, "triChnAlarms") == 0 && f.tri_chn_alarms)
        return get_event_chn_alarmout_object(mask_text(f.tri_chn_alarms[0]).c_str(),
                                             mask_text(f.tri_chn_alarms[1]).c_str());
    return nullptr;
}
