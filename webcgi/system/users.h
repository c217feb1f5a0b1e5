// User accounts as the web client manages them, and the account-related
// requests passed on to the core daemon.
#pragma once

#include "handler.h"

// "/6070": enabled users as a JSON array (JSON header).
Answer on_get_user_list(Request &rq);
// "/6071": "id=<n>", "SAMEUSER", "FAILED_FULL", or nothing for a bad request
// or a store that could not add.
Answer on_add_new_user(Request &rq);
// "/6072": "OK", "SAMEUSER", "CGI ERROR" when the store refused, or nothing.
Answer on_set_user_info(Request &rq);
// "/6073": "OK", "CGI ERROR" when the store refused, or nothing.
Answer on_del_user_info(Request &rq);
// "/6074": the OEM default users as a JSON array, or nothing without the OEM store.
Answer on_get_oem_user_list(Request &rq);
// "/6075": the core's status of the PoE camera password update ("%d"), or
// {status:"CGI ERROR"} without a reply.
Answer on_modify_poe_camera_pwd(Request &rq);
// "/6076": passes request 3267 on; "OK".
Answer on_cgi_core_request_3267(Request &rq);
// "/6077": tells the core daemon the accounts changed; "OK".
Answer on_cgi_set_user_info(Request &rq);
