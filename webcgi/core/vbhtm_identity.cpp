#include "vbhtm_identity.h"

#include <algorithm>

#include "device.h"
#include "shell.h"

namespace {

struct IdentityField {
    char letter;
    size_t position;
    size_t length;
};
// chipupdate: the characters after the letter go to the field.
constexpr IdentityField kChipFields[] = {{'N', 3, 6}, {'H', 9, 2}, {'E', 12, 7}, {'S', 20, 11}};
// modelupdate: the value, letter included, padded to the field's length.
constexpr IdentityField kModelFields[] = {{'E', 12, 8}, {'H', 9, 3}, {'N', 2, 7}, {'S', 20, 12}};

const IdentityField *field_of(std::span<const IdentityField> fields, char letter) {
    auto it = std::find_if(fields.begin(), fields.end(),
                           [letter](const IdentityField &f) { return f.letter == letter; });
    return it == fields.end() ? nullptr : &*it;
}

// The chip tool gets the value as one argument; still, only the characters
// an identity holds are taken.
bool identity_chars(std::string_view v) {
    return std::all_of(v.begin(), v.end(), [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '_' || c == '-';
    });
}

void reply(std::string &out, const char *text) {
    out += "Content-type: text/plain\r\n\r\n";
    out += text;
}

using Update = std::optional<std::string> (*)(std::string_view, std::string_view);

// Reads the identity, applies the value and hands the result to the chip tool.
bool write_identity(Update update, std::string_view value) {
    char info[64] = {};
    if (get_chip_info(info, sizeof info) != 0) return false;
    std::optional<std::string> next = update(info, value);
    if (!next) return false;
    // The tool's own output never reaches the response.
    const char *argv[] = {"kzchip_update", next->c_str(), nullptr};
    std::string ignored;
    return run_argv_output(argv, ignored) == 0;
}

}  // namespace

std::optional<std::string> chip_identity_update(std::string_view identity, std::string_view value) {
    if (identity.size() != kIdentityLength || !identity_chars(value)) return std::nullopt;
    std::string v(value);
    if (v.size() > 20 && v.size() < kIdentityLength) v.resize(kIdentityLength, '0');
    if (v.empty() || v.size() > kIdentityLength) return std::nullopt;
    if (v.starts_with("KZN")) {
        if (v.size() != kIdentityLength) return std::nullopt;
        return v;
    }
    const IdentityField *f = field_of(kChipFields, v[0]);
    if (!f || v.size() < 1 + f->length) return std::nullopt;
    std::string next(identity);
    next.replace(f->position, f->length, v, 1, f->length);
    return next;
}

std::optional<std::string> model_identity_update(std::string_view identity,
                                                 std::string_view value) {
    if (identity.size() != kIdentityLength || value.empty() || !identity_chars(value))
        return std::nullopt;
    const IdentityField *f = field_of(kModelFields, value[0]);
    if (!f || value.size() > f->length) return std::nullopt;
    std::string v(value);
    v.resize(f->length, '0');
    std::string next(identity);
    next.replace(f->position, f->length, v);
    return next;
}

void opt_chipupdate(const HttpOption &opt, std::string &out) {
    bool ok = write_identity(chip_identity_update, opt.value);
    reply(out, ok ? "OK chipupdate" : "NG chipupdate");
}

void opt_modelupdate(const HttpOption &opt, std::string &out) {
    bool ok = write_identity(model_identity_update, opt.value);
    reply(out, ok ? "OK modelupdate" : "NG modelupdate");
}
