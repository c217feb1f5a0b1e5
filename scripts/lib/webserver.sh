# shellcheck shell=bash
# The demo's web server set-up, shared by scripts/demo and scripts/e2e:
# lighttpd with webcgi as CGI over a device root. Source after common.sh.

# nvr_webserver_conf ROOT PORT BIN: writes ROOT/lighttpd.conf and links
# the CGI as ROOT/www/cgi-bin/webcgi, so /cgi-bin/webcgi/1000 runs webcgi
# with PATH_INFO "/1000".
nvr_webserver_conf() {
    local root=$1 port=$2 bin=$3
    mkdir -p "$root/www/cgi-bin" "$root/log"
    # The CGI is the upload stand-in, which places firmware uploads (/1010,
    # /6082) into their files the way the device's web server does, then runs webcgi.
    ln -sfn "$bin/upload_stage" "$root/www/cgi-bin/webcgi"
    cat >"$root/lighttpd.conf" <<CONF
server.modules = ("mod_cgi", "mod_setenv", "mod_accesslog")
server.bind = "127.0.0.1"
server.port = $port
server.document-root = "$root/www"
server.errorlog = "$root/log/lighttpd-error.log"
accesslog.filename = "$root/log/lighttpd-access.log"
server.follow-symlink = "enable"
# Request bodies (uploads) go to the CGI as they arrive.
server.stream-request-body = 1
\$HTTP["url"] =~ "^/cgi-bin/" {
    cgi.assign = ("" => "")
}
# KZ_IPC_WAIT_MS: a core request the simulator does not answer costs 5 s, not 40 s.
# PATH: the device tools webcgi runs are the stand-ins next to it.
setenv.add-environment = ("NVR_ROOT" => "$root", "KZ_IPC_WAIT_MS" => "5000",
                          "PATH" => "$bin:/usr/local/bin:/usr/bin:/bin")
CONF
    lighttpd -tt -f "$root/lighttpd.conf" >/dev/null
}

# nvr_port_free PORT: true when nothing listens on 127.0.0.1:PORT.
nvr_port_free() {
    ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# nvr_free_port: prints a port nothing listens on (from the ephemeral range).
nvr_free_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 20000))
        nvr_port_free "$port" && { echo "$port"; return 0; }
    done
    return 1
}

# nvr_wait_socket PATH PID: waits until PATH is a socket (false if PID dies).
nvr_wait_socket() {
    for _ in $(seq 200); do
        [[ -S $1 ]] && return 0
        kill -0 "$2" 2>/dev/null || return 1
        sleep 0.02
    done
    return 1
}

# nvr_wait_http PORT PID: waits until the server answers (false if PID dies).
nvr_wait_http() {
    for _ in $(seq 200); do
        curl -s -o /dev/null "http://127.0.0.1:$1/" && return 0
        kill -0 "$2" 2>/dev/null || return 1
        sleep 0.02
    done
    return 1
}
