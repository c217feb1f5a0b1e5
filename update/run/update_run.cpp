#include "update_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "devroot.h"
#include "nvr_sys.h"
#include "ptb.h"
#include "upfw_image.h"

void (*g_upfw_before_job)(const WriteJob &job) = nullptr;

namespace {

constexpr const char *kLogPath = "/mnt/nand/upfw.log";

struct Job {
    int entry;
    WriteJob w;
};

// Flips the slot digit after `key` in `text`: '1' <-> '2'. Returns the new
// slot, 0 when the key is absent, -1 when the digit is neither.
int flip_slot(char *text, const char *key, const char *label) {
    char *at = std::strstr(text, key);
    if (!at) return 0;
    char *d = at + std::strlen(key);
    if (*d != '1' && *d != '2') return -1;
    std::printf("  current is %s%c ", label, *d);
    *d = *d == '2' ? '1' : '2';
    return *d - '0';
}

int select_slots(PartTable &t) {
    int fs = flip_slot(t.cmdline, "=fs", "fs");
    if (fs == 0) {
        std::printf("cmdline: %s \n", t.cmdline);
        std::fprintf(stderr, "bootargs not find fs, maybe NFS!\n");
        return -1;
    }
    if (fs < 0) {
        std::fprintf(stderr, "unknow fs partition!\n");
        return -1;
    }
    int ker = flip_slot(t.bootcmd, "ker", "ker");
    if (ker == 0) std::fprintf(stderr, " bootcmd is null!\n");
    if (ker < 0) std::fprintf(stderr, "  unknow bootcmd!\n");
    return ker <= 0 ? -1 : fs;
}

Job make_job(int entry, const UpfwEntry &e, const char *part, const MtdTable &m) {
    Job j{entry, {}};
    int i = part_index(part);
    std::snprintf(j.w.dev, sizeof j.w.dev, "%s", i >= 0 ? m.part[i].dev : "");
    std::snprintf(j.w.part, sizeof j.w.part, "%s", part);
    j.w.offset = e.offset;
    j.w.size = e.size;
    j.w.flag = e.flag;
    j.w.addr = e.addr;
    j.w.version = e.version;
    j.w.date = e.date;
    j.w.crc32 = e.crc32;
    j.w.pad = 1;
    return j;
}

bool same_minor(uint32_t a, uint32_t b) {
    return ver_minor(a) == ver_minor(b);
}

// The jobs of the run, in entry order; -8/-9 when a required entry is absent.
int build_jobs(const UpfwHeader &h, const PartTable &t, const MtdTable &m, int slot,
               std::vector<Job> &jobs) {
    const UpfwEntry *e = h.entry;
    const uint32_t uboot = t.part[part_index("uboot")].version;
    for (int i : {kUpfwBld, kUpfwBld2})
        if (upfw_has_data(e[i]) && same_minor(e[i].version, uboot) && uboot < e[i].version)
            jobs.push_back(make_job(i, e[i], "uboot", m));
    const std::pair<int, const char *> extras[] = {{kUpfwParam, "baseparam"}, {kUpfwJpg, "logo"}};
    for (auto [i, part] : extras) {
        uint32_t rec = t.part[part_index(part)].version;
        if (upfw_has_data(e[i]) && same_minor(e[i].version, rec) && rec != e[i].version)
            jobs.push_back(make_job(i, e[i], part, m));
    }
    if (!upfw_has_data(e[kUpfwFs])) {
        std::fprintf(stderr, "No filesys image!\n");
        return kUpfwFilesysFail;
    }
    jobs.push_back(make_job(kUpfwFs, e[kUpfwFs], slot == 2 ? "fs2" : "fs1", m));
    if (!upfw_has_data(e[kUpfwKer])) return kUpfwKernelFail;
    jobs.push_back(make_job(kUpfwKer, e[kUpfwKer], slot == 2 ? "ker2" : "ker1", m));
    std::stable_sort(jobs.begin(), jobs.end(),
                     [](const Job &a, const Job &b) { return a.entry < b.entry; });
    return 0;
}

void print_job(const WriteJob &w) {
    std::printf("Update %s partition:\n", w.part);
    std::printf("dev \t    = %s\n", w.dev);
    std::printf("offset   = 0x%08X\n", w.offset);
    std::printf("size\t    = 0x%08X (%u K)\n", w.size, w.size >> 10);
    std::printf("addr\t    = 0x%08X\n", w.addr);
    std::printf("flag\t    = 0x%08X\n", w.flag);
    std::printf("date\t    = %u/%u/%u\n", w.date >> 16, (w.date >> 8) & 0xFF, w.date & 0xFF);
    std::printf("version = %u.%u.%u.%u\n", ver_platform(w.version), ver_major(w.version),
                ver_minor(w.version), ver_patch(w.version));
}

int run_job(const char *path, const Job &j) {
    print_job(j.w);
    if (g_upfw_before_job) g_upfw_before_job(j.w);
    clean_memory_and_sync();
    int rc = 0;
    if (j.entry == kUpfwBld || j.entry == kUpfwBld2) {
        rc = spi_flash_write_file(path, &j.w) == 0 ? 0 : kUpfwBldFail;
    } else if (nand_flash_write_file(path, &j.w) != 0) {
        if (j.entry == kUpfwKer) {
            rc = kUpfwKernelFail;
        } else if (j.entry == kUpfwFs) {
            rc = kUpfwFilesysFail;
        } else {
            std::fprintf(stderr, "nand_flash_write_file unkown parttition faild!\n");
            rc = kUpfwFail;
        }
    }
    clean_memory_and_sync();
    return rc;
}

}  // namespace

int UPFW_run_update(const char *path) {
    UpfwHeader hdr;
    if (image_get_header_info(path, &hdr) != 0) {
        std::fprintf(stderr, "image_get_header_info faild!\n");
        return kUpfwFail;
    }
    std::puts("Get old ptb information!");
    PartTable t;
    if (get_env_mtd_table(&t) != 0) {
        std::fprintf(stderr, "flprog_get_part_table faild!\n");
        return kUpfwPtbFail;
    }
    std::printf("Verify image %s \n", path);
    if (UPFW_verify(path, &hdr) != 0) {
        std::fprintf(stderr, "Verify update firmware faild!\n");
        return kUpfwVerifyFail;
    }
    std::puts("Get mtd device information!");
    MtdTable m;
    if (get_mtd_info(&m) != 0) {
        std::fprintf(stderr, "get_mtd_info faild!\n");
        return kUpfwPtbFail;
    }
    // The flipped command line and boot command stay in `t` until every job
    // is on flash and verified; the environment keeps the old slots meanwhile.
    int slot = select_slots(t);
    if (slot < 0) return kUpfwPtbFail;
    std::vector<Job> jobs;
    if (int rc = build_jobs(hdr, t, m, slot, jobs); rc != 0) return rc;
    for (const Job &j : jobs)
        if (int rc = run_job(path, j); rc != 0) return rc;
    if (set_env_cmdline(&t) != 0) {
        std::fprintf(stderr, "set_env_cmdline faild!\n");
        return kUpfwPtbFail;
    }
    std::puts("Update Success:");
    return kUpfwOk;
}

const char *upfw_result_message(int code) {
    static const char *const kMessages[] = {
        "update success!",
        "update faild!",
        "verify update firmware faild!",
        "analysis update firmware faild!",
        "update ptb partition faild!",
        "update bld partition faild!",
        "update hal partition faild!",
        "update dsp partition faild!",
        "update kernel partition faild!",
        "update filesys partition faild!",
        "update cmdline faild!",
        "kernel 1 version mismatch!",
        "kernel 2 version mismatch!",
    };
    if (code > 0 || code < -12) return "unknow error!";
    return kMessages[-code];
}

// A reader sees the old log or the new one, never an empty or half-written
// file, and only root can write it.
int UPFW_log(int code, const char *text) {
    std::string body = std::to_string(code) + "\n";
    std::string msg = text ? std::string(text, strnlen(text, 255)) : "";
    body += msg;
    std::fputs(msg.c_str(), stderr);
    std::string path = nvr::dev_path(kLogPath);
    if (nvr::replace_file(path, 0644, body, path + ".tmp") != 0) {
        std::perror("write upfw.log");
        return -1;
    }
    return 0;
}
