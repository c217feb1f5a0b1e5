// JSON forms of the network records, written once (field maps).
#pragma once

#include "field_map.h"
#include "kzdb_records_network.h"

// Texts also take numbers (their JSON text), as every client value does.
#define NET_TEXT(Rec, member, key) FIELD(Rec, member, key, kAnyInt, kFieldBoth | kFieldLooseText)

inline constexpr Limit kOnOff{0, 1};
inline constexpr Limit kNetworkModes{0, 2};
inline constexpr Limit kTlsModes{0, 2};
inline constexpr Limit kNotNegative{0, INT32_MAX};

// ---- LAN settings: one interface block, by the keys of its layout -------------------------

// Two-LAN layout, port 1, up to the IPv6 triple / the MAC / after the MAC.
inline constexpr Field kPort1Head[] = {
    FIELD(NetBlock, enable, "enableNetwork1"), FIELD(NetBlock, network_type, "networkType"),
    NET_TEXT(NetBlock, ip_addr, "ipAddr"),     NET_TEXT(NetBlock, netmask, "netmask"),
    NET_TEXT(NetBlock, gateway, "gateway"),    FIELD(NetBlock, ip6_type, "ip6networkType"),
};
inline constexpr Field kPort1Tail[] = {
    NET_TEXT(NetBlock, dns1, "DNS1"),
    NET_TEXT(NetBlock, dns2, "DNS2"),
    FIELD(NetBlock, mtu, "mtu"),
};
inline constexpr Field kPort2Head[] = {
    FIELD(NetBlock, enable, "enableNetwork2"), FIELD(NetBlock, network_type, "networkType2"),
    NET_TEXT(NetBlock, ip_addr, "ipAddr2"),    NET_TEXT(NetBlock, netmask, "netmask2"),
    NET_TEXT(NetBlock, gateway, "gateway2"),   FIELD(NetBlock, ip6_type, "ip6networkType2"),
};
inline constexpr Field kPort2Tail[] = {
    NET_TEXT(NetBlock, dns1, "DNS12"),
    NET_TEXT(NetBlock, dns2, "DNS22"),
    FIELD(NetBlock, mtu, "mtu2"),
};
// Bonded layout: before the MAC, after it.
inline constexpr Field kBondHead[] = {
    FIELD(NetBlock, enable, "enableNetwork1"), FIELD(NetBlock, network_type, "networkType"),
    NET_TEXT(NetBlock, ip_addr, "ipAddr"),     NET_TEXT(NetBlock, netmask, "netmask"),
    NET_TEXT(NetBlock, gateway, "gateway"),
};
inline constexpr Field kBondTail[] = {
    NET_TEXT(NetBlock, dns1, "DNS1"),
    NET_TEXT(NetBlock, dns2, "DNS2"),
    FIELD(NetBlock, mtu, "mtu"),
    FIELD(NetBlock, ip6_type, "ip6networkType"),
};
// The stored IPv6 triple, by suffix "" (port 1, bonded) or "2" (port 2).
inline constexpr Field kIp6Triple1[] = {
    NET_TEXT(NetBlock, ip6_addr, "ip6Addr"),
    NET_TEXT(NetBlock, ip6_prefix, "ip6netmask"),
    NET_TEXT(NetBlock, ip6_gateway, "ip6gateway"),
};
inline constexpr Field kIp6Triple2[] = {
    NET_TEXT(NetBlock, ip6_addr, "ip6Addr2"),
    NET_TEXT(NetBlock, ip6_prefix, "ip6netmask2"),
    NET_TEXT(NetBlock, ip6_gateway, "ip6gateway2"),
};
inline constexpr Field kNetworkTop[] = {
    FIELD(NetworkRecord, mode, "mode", kNetworkModes),
    NET_TEXT(NetworkRecord, host_name, "hostName"),
};
inline constexpr Field kPrimaryNet[] = {FIELD(NetworkRecord, primary_net, "primaryNet")};
inline constexpr Field kDefaultRoute[] = {FIELD(NetworkRecord, default_route, "defaultRoute")};

// ---- Services ------------------------------------------------------------------------------

inline constexpr Field kTimeFields[] = {
    FIELD(TimeRecord, ntp_enable, "ntpEnable", kOnOff),
    FIELD(TimeRecord, dst_enable, "dstEnable", kOnOff),
    NET_TEXT(TimeRecord, time_zone, "timeZone"),
    NET_TEXT(TimeRecord, time_zone_name, "timeZoneName"),
    NET_TEXT(TimeRecord, ntp_server, "ntpServer"),
    FIELD(TimeRecord, sync_enable, "syncEnable"),
    FIELD(TimeRecord, sync_interval, "syncInterval"),
    FIELD(TimeRecord, sync_pc, "syncPc"),
};

inline constexpr Field kPppoeFields[] = {
    FIELD(PppoeRecord, enable, "enable", kOnOff),
    FIELD(PppoeRecord, auto_connect, "autoConnect"),
    NET_TEXT(PppoeRecord, user_name, "userName"),
    NET_TEXT(PppoeRecord, password, "password"),
};

// The ports travel as "http"/"rtsp" in a save and "http_port"/"rtsp_port" in the answer.
inline constexpr Field kDdnsFields[] = {
    FIELD(DdnsRecord, enable, "enable", kOnOff),
    NET_TEXT(DdnsRecord, domain, "domain"),
    NET_TEXT(DdnsRecord, user_name, "userName"),
    NET_TEXT(DdnsRecord, password, "password"),
    NET_TEXT(DdnsRecord, host_name, "hostName"),
    NET_TEXT(DdnsRecord, ddns_url, "ddnsurl"),
    NET_TEXT(DdnsRecord, free_dns_hash, "freeDNSHash"),
    FIELD(DdnsRecord, update_freq, "updateFreq", kNotNegative),
    FIELD(DdnsRecord, http_port, "http_port", kAnyInt, kFieldRender),
    FIELD(DdnsRecord, rtsp_port, "rtsp_port", kAnyInt, kFieldRender),
    FIELD(DdnsRecord, http_port, "http", kAnyInt, kFieldParse),
    FIELD(DdnsRecord, rtsp_port, "rtsp", kAnyInt, kFieldParse),
};

inline constexpr Field kEmailFields[] = {
    FIELD(EmailRecord, enable, "enable"),
    NET_TEXT(EmailRecord, user_name, "userName"),
    NET_TEXT(EmailRecord, password, "password"),
    NET_TEXT(EmailRecord, smtp_server, "smtpServer"),
    FIELD(EmailRecord, smtp_port, "smtpPort", kNotNegative),
    NET_TEXT(EmailRecord, sender_addr, "senderAddr"),
    NET_TEXT(EmailRecord, sender_name, "senderName"),
    FIELD(EmailRecord, enable_tls, "enableTls", kTlsModes),
    FIELD(EmailRecord, enable_attach, "enableAttach", kOnOff),
    FIELD(EmailRecord, capture_interval, "captureInterval", kNotNegative),
};
inline constexpr Field kReceiverFields[] = {
    NET_TEXT(MailReceiver, addr, "receiverAddr"),
    NET_TEXT(MailReceiver, name, "receiverName"),
};
inline constexpr Field kEmailReceivers[] = {
    FIELD_TABLE(EmailRecord, receivers, "receivers", kReceiverFields),
};
inline constexpr Field kMailHostFields[] = {
    FIELD(PortsRecord, email_host_enable, "enableHostName"),
    NET_TEXT(PortsRecord, host_name, "hostName"),
};

inline constexpr Field kUpnpFields[] = {
    FIELD(UpnpRecord, enable, "enable"),
    FIELD(UpnpRecord, type, "type"),
    FIELD(UpnpRecord, external_http_port, "external_http_port"),
    FIELD(UpnpRecord, http_status, "http_status", kAnyInt, kFieldRender),
    FIELD(UpnpRecord, external_rtsp_port, "external_rtsp_port"),
    FIELD(UpnpRecord, rtsp_status, "rtsp_status", kAnyInt, kFieldRender),
};
inline constexpr Field kPortNumbers[] = {
    FIELD(PortsRecord, http_port, "http_port", kAnyInt, kFieldRender),
    FIELD(PortsRecord, rtsp_port, "rtsp_port", kAnyInt, kFieldRender),
};

inline constexpr Field kMulticastFields[] = {
    FIELD(MulticastRecord, enable, "enable"),
    NET_TEXT(MulticastRecord, ip, "ip"),
};

inline constexpr Field kFilterEntryFields[] = {
    FIELD(AccessFilterEntry, address_type, "address_type"),
    NET_TEXT(AccessFilterEntry, address, "address"),
};
