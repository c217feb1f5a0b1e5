/* peak_rss [-i FILE] RUNS PROGRAM [ARG...]: runs PROGRAM RUNS times (stdin
 * on /dev/null, or on FILE for a request body; stdout on /dev/null; the
 * caller's environment) and prints the median and the
 * maximum of the children's peak resident set size in KiB, as
 * "median_kib max_kib". Exits 1 when a run fails or cannot be started.
 * Built static so that the fork before exec adds as little as possible to
 * the child's high-water mark. */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

static int cmp_long(const void *a, const void *b) {
    long x = *(const long *)a, y = *(const long *)b;
    return (x > y) - (x < y);
}

static const char *input = "/dev/null";

static long one_run(char **argv) {
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        int in = open(input, O_RDONLY), null = open("/dev/null", O_RDWR);
        if (in < 0 || null < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(null, STDOUT_FILENO) < 0)
            _exit(127);
        execv(argv[0], argv);
        _exit(127);
    }
    int status;
    struct rusage ru;
    if (wait4(pid, &status, 0, &ru) != pid) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) return -1;
    return ru.ru_maxrss;
}

int main(int argc, char **argv) {
    if (argc > 2 && strcmp(argv[1], "-i") == 0) {
        input = argv[2];
        argc -= 2;
        argv += 2;
    }
    int runs = argc > 2 ? atoi(argv[1]) : 0;
    if (runs <= 0) {
        fprintf(stderr, "usage: peak_rss [-i FILE] RUNS PROGRAM [ARG...]\n");
        return 2;
    }
    long *kib = calloc((size_t)runs, sizeof *kib);
    if (!kib) return 1;
    for (int i = 0; i < runs; i++) {
        kib[i] = one_run(argv + 2);
        if (kib[i] < 0) {
            fprintf(stderr, "peak_rss: %s did not run\n", argv[2]);
            return 1;
        }
    }
    qsort(kib, (size_t)runs, sizeof *kib, cmp_long);
    printf("%ld %ld\n", kib[runs / 2], kib[runs - 1]);
    free(kib);
    return 0;
}
