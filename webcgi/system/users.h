// User accounts as the web client manages them, and the account-related
// requests passed on to the core daemon.
#pragma once

// "/6070": enabled users as a JSON array (JSON header).
void on_get_user_list(char *request_text);
// "/6071": "id=<n>", "SAMEUSER", "FAILED_FULL", or nothing for a bad request
// or a store that could not add.
void on_add_new_user(char *request_text);
// "/6072": "OK", "SAMEUSER", "CGI ERROR" when the store refused, or nothing.
void on_set_user_info(char *request_text);
// "/6073": "OK", "CGI ERROR" when the store refused, or nothing.
void on_del_user_info(char *request_text);
// "/6074": the OEM default users as a JSON array, or nothing without the OEM store.
void on_get_oem_user_list(char *request_text);
// "/6075": the core's status of the PoE camera password update ("%d"), or
// {status:"CGI ERROR"} without a reply.
void on_modify_poe_camera_pwd(char *request_text);
// "/6076": passes request 3267 on; "OK".
void on_cgi_core_request_3267(char *request_text);
// "/6077": tells the core daemon the accounts changed; "OK".
void on_cgi_set_user_info(char *request_text);

// Core message types of the accounts.
inline constexpr int MSG_USERS_CHANGED = 3505;
inline constexpr int MSG_POE_CAMERA_PWD = 3265;
inline constexpr int MSG_CORE_REQUEST_3267 = 3267;
