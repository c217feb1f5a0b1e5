# shellcheck shell=bash disable=SC2034
# Shared by scripts/test, scripts/demo and bench/request-cost. Source it;
# it sets NVR_REPO (the repository root) and changes into it.

NVR_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$NVR_REPO" || exit 1

# Debian packages, by what needs them.
NVR_HOST_PACKAGES=(cmake ninja-build g++ pkg-config libjson-c-dev libsqlite3-dev libgtest-dev zlib1g-dev
                    libssl-dev)
# Test tools: ffprobe reads the AVI downloads of the record tests; openssl checks certificates.
NVR_TEST_TOOL_PACKAGES=(ffmpeg openssl)
NVR_ARMHF_PACKAGES=(g++-arm-linux-gnueabihf qemu-user libjson-c-dev:armhf libsqlite3-dev:armhf
                    libgtest-dev:armhf zlib1g-dev:armhf libssl-dev:armhf)
NVR_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
NVR_E2E_PACKAGES=(lighttpd curl python3)

nvr_say() { printf '==> %s\n' "$*" >&2; }
nvr_die() { printf 'error: %s\n' "$*" >&2; exit 1; }

nvr_have_package() {
    [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null) == ii* ]]
}

# nvr_ensure_packages PKG...: installs the packages that are missing, and
# does nothing (no apt at all) when every one is present.
nvr_ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        nvr_have_package "$pkg" || missing+=("$pkg")
    done
    ((${#missing[@]})) || return 0

    local sudo=()
    if ((EUID != 0)); then
        command -v sudo >/dev/null || nvr_die "missing packages (${missing[*]}) and not root"
        sudo=(sudo)
    fi
    nvr_say "installing: ${missing[*]}"
    if [[ " ${missing[*]}" == *:armhf* ]] && ! dpkg --print-foreign-architectures | grep -qx armhf; then
        "${sudo[@]}" dpkg --add-architecture armhf
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq </dev/null
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null >/dev/null
}

# nvr_build_programs DIR: builds every program that lands in DIR/bin (the
# shipped programs and the stand-ins), not the test suites.
nvr_build_programs() {
    local dir=$1 programs
    mapfile -t programs < <(ninja -C "$dir" -t targets all | sed -n 's#^\(bin/[^:]*\):.*#\1#p')
    ((${#programs[@]})) || nvr_die "no programs to build in $dir"
    ninja -C "$dir" -j2 "${programs[@]}"
}
