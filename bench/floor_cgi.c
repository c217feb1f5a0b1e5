/* The floor of the CGI model: a static program that only answers with a
 * header. bench/request-cost compares webcgi's per-request cost to it. */
#include <unistd.h>

int main(void) {
    static const char reply[] = "Content-type: text/plain\r\n\r\nOK";
    return write(STDOUT_FILENO, reply, sizeof reply - 1) == (ssize_t)(sizeof reply - 1) ? 0 : 1;
}
