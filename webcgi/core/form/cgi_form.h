// CGI form layer: the request environment, multipart uploads parsed into form
// entries, field and cookie accessors, header writers, HTML escaping and the
// request capture file. One request per process: all state here is
// process-wide and released once by cgiFreeResources().
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Environment. Filled by cgiLoadEnvironment() or cgiReadEnvironment(). The
// strings are never null (an absent variable reads as ""); they point into
// the process environment or, after a restore, into heap copies that
// cgiFreeResources() releases. Treat them as read-only.
extern char *cgiServerSoftware;
extern char *cgiServerName;
extern char *cgiGatewayInterface;
extern char *cgiServerProtocol;
extern char *cgiServerPort;
extern char *cgiRequestMethod;
extern char *cgiPathInfo;
extern char *cgiPathTranslated;
extern char *cgiScriptName;
extern char *cgiQueryString;
extern char *cgiRemoteHost;
extern char *cgiRemoteAddr;
extern char *cgiAuthType;
extern char *cgiRemoteUser;
extern char *cgiRemoteIdent;
extern char cgiContentType[1024];  // media type only, parameters cut off
extern char *cgiMultipartBoundary;
extern int32_t cgiContentLength;
extern char *cgiAccept;
extern char *cgiUserAgent;
extern char *cgiReferrer;
extern char *cgiCookie;
extern char *cgiServerAddr;  // HTTP_HOST
extern FILE *cgiIn;
extern FILE *cgiOut;

// Reads the CGI variables of the process environment into the strings above,
// empties the form-entry list, points cgiIn/cgiOut at stdin/stdout and clears
// the restored flag. Allocates nothing. A negative CONTENT_LENGTH reads as 0.
void cgiLoadEnvironment();

// True when the environment came from cgiReadEnvironment().
bool cgiEnvironmentRestored();

// ---------------------------------------------------------------------------
// Result codes.
enum CgiFormResult : int {
    CGI_FORM_SUCCESS = 0,
    CGI_FORM_TRUNCATED = 1,
    CGI_FORM_BAD_TYPE = 2,
    CGI_FORM_EMPTY = 3,
    CGI_FORM_NOT_FOUND = 4,
    CGI_FORM_CONSTRAINED = 5,
    CGI_FORM_NO_SUCH_CHOICE = 6,
    CGI_FORM_MEMORY = 7,
    CGI_FORM_NO_FILE_NAME = 8,
    CGI_FORM_NO_CONTENT_TYPE = 9,
    CGI_FORM_NOT_A_FILE = 10,
    CGI_FORM_NO_FILE_HANDLE = 11,
    CGI_FORM_IO = 12,
    CGI_FORM_EOF = 13,
};

enum CgiParseResult : int {
    CGI_PARSE_SUCCESS = 0,
    CGI_PARSE_MEMORY = 1,
    CGI_PARSE_IO = 2,  // input/output error or malformed body
};

enum CgiEnvironmentResult : int {
    CGI_ENV_IO = 0,
    CGI_ENV_MEMORY = 1,
    CGI_ENV_SUCCESS = 2,
    CGI_ENV_WRONG_VERSION = 3,
};

// ---------------------------------------------------------------------------
// Form entries: one per form-data part, in arrival order.
struct FormEntry {
    std::string name;
    std::string value;         // body bytes of a plain field (may hold NULs); "" for a file
    int valueLength = 0;       // body length; for a file, bytes in its temporary file
    std::string fileName;      // client-side file name; "" for a plain field
    std::string contentType;   // the part's media type, may be ""
    std::string tempFileName;  // device path ("/tmp/cgicXXXXXX") of a file's body, else ""
};

// Parses a multipart/form-data body of cgiContentLength bytes from cgiIn
// (boundary cgiMultipartBoundary) into the entry list. File bodies go to
// temporary files. Returns a CgiParseResult; on failure the list is empty and
// no temporary file of this parse is left behind.
int cgiParseMultipartInput();

// First entry named `name` (exact), or nullptr. Valid until cgiFreeResources().
const FormEntry *cgiFormEntryFind(const char *name);

// Every entry, in order.
const std::vector<FormEntry> &cgiFormEntryList();

// Drops the temporary path of the first entry named `name`, so the release
// step leaves the file alone (for a file the caller has moved). The entry no
// longer counts as a file afterwards. Returns 0, or CGI_FORM_NOT_FOUND.
int cgiFormEntryForgetTemp(const char *name);

// Frees every entry and deletes its temporary file (when tempFileName is
// set), frees restored environment strings (they read as "" afterwards) and
// clears the restored flag.
void cgiFreeResources();

// ---------------------------------------------------------------------------
// Field accessors (CgiFormResult codes). Arrays returned through `char ***`
// are null-terminated, malloc'ed and owned by the caller: release them with
// cgiStringArrayFree().
int cgiFormString(const char *name, char *result, int space);
int cgiFormStringNoNewlines(const char *name, char *result, int space);
int cgiFormStringSpaceNeeded(const char *name, int *length);
int cgiFormStringMultiple(const char *name, char ***result);
int cgiFormInteger(const char *name, int *result, int defaultV);
int cgiFormIntegerBounded(const char *name, int *result, int min, int max, int defaultV);
int cgiFormDouble(const char *name, double *result, double defaultV);
int cgiFormDoubleBounded(const char *name, double *result, double min, double max, double defaultV);
int cgiFormSelectSingle(const char *name, const char *const *choices, int choicesTotal, int *result,
                        int defaultV);
int cgiFormRadio(const char *name, const char *const *choices, int choicesTotal, int *result,
                 int defaultV);
int cgiFormSelectMultiple(const char *name, const char *const *choices, int choicesTotal,
                          int *result, int *invalid);
int cgiFormCheckboxMultiple(const char *name, const char *const *choices, int choicesTotal,
                            int *result, int *invalid);
int cgiFormCheckboxSingle(const char *name);
int cgiFormFileName(const char *name, char *result, int space);
int cgiFormFileContentType(const char *name, char *result, int space);
int cgiFormFileSize(const char *name, int *sizeP);
int cgiFormEntries(char ***result);
void cgiStringArrayFree(char **stringArray);

// Uploaded file reading. The handle is owned by the caller until
// cgiFormFileClose().
struct cgiFile;
using cgiFilePtr = cgiFile *;
int cgiFormFileOpen(const char *name, cgiFilePtr *cfpp);
int cgiFormFileRead(cgiFilePtr cfp, char *buffer, int bufferSize, int *gotP);
int cgiFormFileClose(cgiFilePtr cfp);

// ---------------------------------------------------------------------------
// Cookies, from cgiCookie.
int cgiCookieString(const char *name, char *result, int space);
int cgiCookieInteger(const char *name, int *result, int defaultV);
int cgiCookies(char ***result);

// Header writers (to cgiOut).
void cgiHeaderCookieSetString(const char *name, const char *value, int secondsToLive,
                              const char *path, const char *domain);
void cgiHeaderCookieSetInteger(const char *name, int value, int secondsToLive, const char *path,
                               const char *domain);
void cgiHeaderLocation(const char *redirectUrl);
void cgiHeaderStatus(int status, const char *statusMessage);
void cgiHeaderContentType(const char *mimeType);

// Escaping (to cgiOut): 0, or CGI_FORM_IO on the first failed write.
int cgiHtmlEscapeData(const char *data, int len);
int cgiHtmlEscape(const char *s);
int cgiValueEscapeData(const char *data, int len);
int cgiValueEscape(const char *s);

// ---------------------------------------------------------------------------
// Capture of a whole request (environment and entries). `filename` is a
// device path. Both return a CgiEnvironmentResult.
int cgiWriteEnvironment(const char *filename);
int cgiReadEnvironment(const char *filename);
