// Service ports, push settings, SNMP and P2P: JSON forms (field maps), named
// limits and the port rule that /7051 and /7091 share.
#pragma once

#include <string>

#include "field_map.h"
#include "kzdb_records_network.h"
#include "service_msgs.h"

inline constexpr Limit kTcpPorts{1, 65535};
inline constexpr Limit kPortsGiven{0, INT32_MAX};  // what the request may carry before the check

// /7050's head, and the ports /7051 takes (the service port is checked, never stored).
inline constexpr Field kPortFields[] = {
    FIELD(PortsRecord, ssh_enable, "enableSsh", Limit{0, 1}),
    FIELD(PortsRecord, ssh_port, "sshPort", kPortsGiven),
    FIELD(PortsRecord, http_port, "httpPort", kPortsGiven),
    FIELD(PortsRecord, https_port, "httpsPort", kPortsGiven),
    FIELD(PortsRecord, rtsp_port, "rtspPort", kPortsGiven),
    FIELD(PortsRecord, service_port, "servicePort", kPortsGiven, kFieldRender),
};
// The ports /7090 adds after the SNMP fields.
inline constexpr Field kSnmpPortFields[] = {
    FIELD(PortsRecord, ssh_port, "sshPort"),
    FIELD(PortsRecord, http_port, "httpPort"),
    FIELD(PortsRecord, rtsp_port, "rtspPort"),
    FIELD(PortsRecord, https_port, "httpsPort"),
};

#define SNMP_TEXT(member) FIELD(SnmpRecord, member, #member, kAnyInt, kFieldBoth | kFieldLooseText)
inline constexpr Field kSnmpFields[] = {
    FIELD(SnmpRecord, v1_enable, "v1_enable"),
    FIELD(SnmpRecord, v2c_enable, "v2c_enable"),
    SNMP_TEXT(write_community),
    SNMP_TEXT(read_community),
    FIELD(SnmpRecord, v3_enable, "v3_enable"),
    SNMP_TEXT(read_security_name),
    FIELD(SnmpRecord, read_level_security, "read_level_security"),
    FIELD(SnmpRecord, read_auth_algorithm, "read_auth_algorithm"),
    SNMP_TEXT(read_auth_password),
    FIELD(SnmpRecord, read_pri_algorithm, "read_pri_algorithm"),
    SNMP_TEXT(read_pri_password),
    SNMP_TEXT(write_security_name),
    FIELD(SnmpRecord, write_level_security, "write_level_security"),
    FIELD(SnmpRecord, write_auth_algorithm, "write_auth_algorithm"),
    SNMP_TEXT(write_auth_password),
    FIELD(SnmpRecord, write_pri_algorithm, "write_pri_algorithm"),
    SNMP_TEXT(write_pri_password),
    FIELD(SnmpRecord, port, "port", kPortsGiven),
};
#undef SNMP_TEXT

// /7060's keys in their order (render only: the core owns the status).
#define P2P_TEXT(member, key) FIELD(P2pStatus, member, key, kAnyInt, kFieldRender)
inline constexpr Field kP2pStatusFields[] = {
    FIELD(P2pStatus, enable, "enable", kAnyInt, kFieldRender),
    P2P_TEXT(company, "company"),
    P2P_TEXT(email, "email"),
    FIELD(P2pStatus, p2pstatus, "p2pstatus", kAnyInt, kFieldRender),
    P2P_TEXT(cloud_account, "cloudAccount"),
    P2P_TEXT(register_code, "registerCode"),
    P2P_TEXT(dealer, "dealer"),
    P2P_TEXT(model, "model"),
    P2P_TEXT(ipc, "ipc"),
    P2P_TEXT(cloud_server, "cloudServer"),
    FIELD(P2pStatus, region, "region", kAnyInt, kFieldRender),
};
#undef P2P_TEXT

// True when `port` lies in the range reserved for PoE cameras: 23001 up to
// 23000 + max_poe_num for 4, 8 or 16 ports; no range otherwise.
inline bool poe_port_reserved(int port, int max_poe_num) {
    if (max_poe_num != 4 && max_poe_num != 8 && max_poe_num != 16) return false;
    return port >= 23001 && port <= 23000 + max_poe_num;
}

// Stores a setting, creating it when an older store lacks it. 0 / -1.
inline int store_setting(const char *key, const std::string &value) {
    return check_param_key(KZDB_PATH, key) == 0 ? set_param_value(KZDB_PATH, key, value.c_str())
                                                : add_param_value(KZDB_PATH, key, value.c_str());
}

// A changed port that may not be taken: PoE-reserved or in use by a listener.
bool port_refused(int port, int stored);
