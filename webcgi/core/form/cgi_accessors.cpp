// Field accessors over the form-entry list.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "devroot.h"
#include "form_internal.h"

struct cgiFile {
    FILE *in = nullptr;
};

namespace {

const FormEntry *find(const char *name) {
    return cgiFormEntryFind(name);
}

// The value as text: everything up to its first NUL.
std::string_view text_of(const FormEntry &e) {
    return e.value.c_str();
}

// Runs of CR and LF become max(#CR, #LF) LFs, or nothing when `keepBreaks`
// is false; so CR LF, LF and CR are one break each and blank lines survive.
std::string normalise_breaks(std::string_view in, bool keepBreaks) {
    std::string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        if (in[i] != '\r' && in[i] != '\n') {
            out.push_back(in[i++]);
            continue;
        }
        size_t cr = 0, lf = 0;
        for (; i < in.size() && (in[i] == '\r' || in[i] == '\n'); ++i)
            (in[i] == '\r' ? cr : lf)++;
        if (keepBreaks) out.append(std::max(cr, lf), '\n');
    }
    return out;
}

// Copies `s` cut to space - 1 characters; true when something was cut.
bool copy_cut(char *result, int space, std::string_view s) {
    if (space <= 0 || !result) return !s.empty();
    size_t n = std::min(s.size(), static_cast<size_t>(space - 1));
    memcpy(result, s.data(), n);
    result[n] = '\0';
    return n < s.size();
}

int form_string(const char *name, char *result, int space, bool keepBreaks) {
    const FormEntry *e = find(name);
    if (!e) {
        copy_cut(result, space, "");
        return CGI_FORM_NOT_FOUND;
    }
    try {
        std::string s = normalise_breaks(text_of(*e), keepBreaks);
        bool cut = copy_cut(result, space, s);
        if (s.empty()) return CGI_FORM_EMPTY;
        return cut ? CGI_FORM_TRUNCATED : CGI_FORM_SUCCESS;
    } catch (const std::bad_alloc &) {
        copy_cut(result, space, "");
        return CGI_FORM_MEMORY;
    }
}

// Builds a malloc'ed null-terminated array of copies; nullptr on failure.
char **make_string_array(const std::vector<std::string> &items) {
    char **arr = static_cast<char **>(calloc(items.size() + 1, sizeof(char *)));
    if (!arr) return nullptr;
    for (size_t i = 0; i < items.size(); ++i) {
        arr[i] = strdup(items[i].c_str());
        if (!arr[i]) {
            cgiStringArrayFree(arr);
            return nullptr;
        }
    }
    return arr;
}

// Validates a number's text: 3 when empty, 2 when its first non-blank
// character cannot start a number, else 0 with `start` at that character.
int number_text(const FormEntry &e, bool allowDot, const char *&start) {
    const char *s = e.value.c_str();
    if (*s == '\0') return CGI_FORM_EMPTY;
    while (*s == ' ' || *s == '\t' || *s == '\r' || *s == '\n')
        ++s;
    bool ok = (*s >= '0' && *s <= '9') || *s == '-' || *s == '+' || (allowDot && *s == '.');
    start = s;
    return ok ? CGI_FORM_SUCCESS : CGI_FORM_BAD_TYPE;
}

template <typename T>
int clamp_result(T &value, T min, T max) {
    if (value < min) {
        value = min;
        return CGI_FORM_CONSTRAINED;
    }
    if (value > max) {
        value = max;
        return CGI_FORM_CONSTRAINED;
    }
    return CGI_FORM_SUCCESS;
}

// A text field of an entry: 4 when absent, `emptyCode` when empty, 1 when cut.
int file_text(const char *name, std::string FormEntry::*field, int emptyCode, char *result,
              int space) {
    const FormEntry *e = find(name);
    if (!e) {
        copy_cut(result, space, "");
        return CGI_FORM_NOT_FOUND;
    }
    const std::string &text = e->*field;
    bool cut = copy_cut(result, space, text);
    if (text.empty()) return emptyCode;
    return cut ? CGI_FORM_TRUNCATED : CGI_FORM_SUCCESS;
}

int select_multiple(const char *name, const char *const *choices, int total, int *result,
                    int *invalid) {
    for (int i = 0; i < total; ++i)
        result[i] = 0;
    if (invalid) *invalid = 0;
    if (!name) return CGI_FORM_NOT_FOUND;
    int bad = 0;
    bool any = false;
    for (const FormEntry &e : cgiFormEntryList()) {
        if (e.name != name) continue;
        int i = 0;
        while (i < total && text_of(e) != choices[i])
            ++i;
        if (i == total) {
            ++bad;
        } else {
            result[i] = 1;
            any = true;
        }
    }
    if (invalid) *invalid = bad;
    return any ? CGI_FORM_SUCCESS : CGI_FORM_NOT_FOUND;
}

}  // namespace

int cgiFormString(const char *name, char *result, int space) {
    return form_string(name, result, space, true);
}

int cgiFormStringNoNewlines(const char *name, char *result, int space) {
    return form_string(name, result, space, false);
}

int cgiFormStringSpaceNeeded(const char *name, int *length) {
    const FormEntry *e = find(name);
    if (!e) {
        *length = 1;
        return CGI_FORM_NOT_FOUND;
    }
    *length = static_cast<int>(text_of(*e).size()) + 1;
    return CGI_FORM_SUCCESS;
}

int cgiFormStringMultiple(const char *name, char ***result) {
    *result = nullptr;
    try {
        std::vector<std::string> values;
        if (name)
            for (const FormEntry &e : cgiFormEntryList())
                if (e.name == name) values.push_back(normalise_breaks(text_of(e), true));
        *result = make_string_array(values);
        if (!*result) return CGI_FORM_MEMORY;
        return values.empty() ? CGI_FORM_NOT_FOUND : CGI_FORM_SUCCESS;
    } catch (const std::bad_alloc &) {
        return CGI_FORM_MEMORY;
    }
}

int cgiFormInteger(const char *name, int *result, int defaultV) {
    *result = defaultV;
    const FormEntry *e = find(name);
    if (!e) return CGI_FORM_NOT_FOUND;
    const char *s = nullptr;
    int r = number_text(*e, false, s);
    if (r != CGI_FORM_SUCCESS) return r;
    long long v = strtoll(s, nullptr, 10);
    *result = static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
    return CGI_FORM_SUCCESS;
}

int cgiFormIntegerBounded(const char *name, int *result, int min, int max, int defaultV) {
    int r = cgiFormInteger(name, result, defaultV);
    return r == CGI_FORM_SUCCESS ? clamp_result(*result, min, max) : r;
}

int cgiFormDouble(const char *name, double *result, double defaultV) {
    *result = defaultV;
    const FormEntry *e = find(name);
    if (!e) return CGI_FORM_NOT_FOUND;
    const char *s = nullptr;
    int r = number_text(*e, true, s);
    if (r != CGI_FORM_SUCCESS) return r;
    double v = atof(s);
    // "-nan" passes the first-character test but is no number.
    if (std::isnan(v)) return CGI_FORM_BAD_TYPE;
    *result = v;
    return CGI_FORM_SUCCESS;
}

int cgiFormDoubleBounded(const char *name, double *result, double min, double max,
                         double defaultV) {
    int r = cgiFormDouble(name, result, defaultV);
    return r == CGI_FORM_SUCCESS ? clamp_result(*result, min, max) : r;
}

int cgiFormSelectSingle(const char *name, const char *const *choices, int choicesTotal, int *result,
                        int defaultV) {
    *result = defaultV;
    const FormEntry *e = find(name);
    if (!e) return CGI_FORM_NOT_FOUND;
    for (int i = 0; i < choicesTotal; ++i) {
        if (text_of(*e) == choices[i]) {
            *result = i;
            return CGI_FORM_SUCCESS;
        }
    }
    return CGI_FORM_NO_SUCH_CHOICE;
}

int cgiFormRadio(const char *name, const char *const *choices, int choicesTotal, int *result,
                 int defaultV) {
    return cgiFormSelectSingle(name, choices, choicesTotal, result, defaultV);
}

int cgiFormSelectMultiple(const char *name, const char *const *choices, int choicesTotal,
                          int *result, int *invalid) {
    return select_multiple(name, choices, choicesTotal, result, invalid);
}

int cgiFormCheckboxMultiple(const char *name, const char *const *choices, int choicesTotal,
                            int *result, int *invalid) {
    return select_multiple(name, choices, choicesTotal, result, invalid);
}

int cgiFormCheckboxSingle(const char *name) {
    return find(name) ? CGI_FORM_SUCCESS : CGI_FORM_NOT_FOUND;
}

int cgiFormFileName(const char *name, char *result, int space) {
    return file_text(name, &FormEntry::fileName, CGI_FORM_NO_FILE_NAME, result, space);
}

int cgiFormFileContentType(const char *name, char *result, int space) {
    return file_text(name, &FormEntry::contentType, CGI_FORM_NO_CONTENT_TYPE, result, space);
}

int cgiFormFileSize(const char *name, int *sizeP) {
    const FormEntry *e = find(name);
    int size = 0;
    int r = CGI_FORM_NOT_FOUND;
    if (e && e->tempFileName.empty()) {
        r = CGI_FORM_NOT_A_FILE;
    } else if (e) {
        size = e->valueLength;
        r = CGI_FORM_SUCCESS;
    }
    if (sizeP) *sizeP = size;
    return r;
}

int cgiFormFileOpen(const char *name, cgiFilePtr *cfpp) {
    *cfpp = nullptr;
    const FormEntry *e = find(name);
    if (!e) return CGI_FORM_NOT_FOUND;
    if (e->tempFileName.empty()) return CGI_FORM_NOT_A_FILE;
    std::unique_ptr<cgiFile> cf;
    try {
        cf = std::make_unique<cgiFile>();
    } catch (const std::bad_alloc &) {
        return CGI_FORM_MEMORY;
    }
    cf->in = fopen(nvr::dev_path(e->tempFileName).c_str(), "rb");
    if (!cf->in) return CGI_FORM_IO;
    *cfpp = cf.release();
    return CGI_FORM_SUCCESS;
}

int cgiFormFileRead(cgiFilePtr cfp, char *buffer, int bufferSize, int *gotP) {
    *gotP = 0;
    if (!cfp) return CGI_FORM_NO_FILE_HANDLE;
    if (bufferSize <= 0) return CGI_FORM_EOF;
    size_t got = fread(buffer, 1, static_cast<size_t>(bufferSize), cfp->in);
    *gotP = static_cast<int>(got);
    return got > 0 ? CGI_FORM_SUCCESS : CGI_FORM_EOF;
}

int cgiFormFileClose(cgiFilePtr cfp) {
    if (!cfp) return CGI_FORM_NO_FILE_HANDLE;
    std::unique_ptr<cgiFile> owned(cfp);
    fclose(owned->in);
    return CGI_FORM_SUCCESS;
}

int cgiFormEntries(char ***result) {
    *result = nullptr;
    try {
        std::vector<std::string> names;
        for (const FormEntry &e : cgiFormEntryList())
            if (std::find(names.begin(), names.end(), e.name) == names.end())
                names.push_back(e.name);
        *result = make_string_array(names);
    } catch (const std::bad_alloc &) {
    }
    return *result ? CGI_FORM_SUCCESS : CGI_FORM_MEMORY;
}

void cgiStringArrayFree(char **stringArray) {
    if (!stringArray) return;
    for (char **p = stringArray; *p; ++p)
        free(*p);
    free(stringArray);
}
