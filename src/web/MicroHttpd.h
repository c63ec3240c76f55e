#pragma once
#include <microhttpd.h>

#include "platform/Error.h"

/// libmicrohttpd's functions that the web page uses, found when the first page starts: the library brings GnuTLS
/// and half a dozen others that every other run of the program would load for nothing.
struct MicroHttpd {
    decltype(&::MHD_start_daemon) MHD_start_daemon;
    decltype(&::MHD_stop_daemon) MHD_stop_daemon;
    decltype(&::MHD_run) MHD_run;
    decltype(&::MHD_get_timeout) MHD_get_timeout;
    decltype(&::MHD_get_daemon_info) MHD_get_daemon_info;
    decltype(&::MHD_get_connection_info) MHD_get_connection_info;
    decltype(&::MHD_set_connection_option) MHD_set_connection_option;
    decltype(&::MHD_lookup_connection_value) MHD_lookup_connection_value;
    decltype(&::MHD_get_connection_values) MHD_get_connection_values;
    decltype(&::MHD_basic_auth_get_username_password) MHD_basic_auth_get_username_password;
    decltype(&::MHD_queue_basic_auth_fail_response) MHD_queue_basic_auth_fail_response;
    decltype(&::MHD_create_response_from_buffer) MHD_create_response_from_buffer;
    decltype(&::MHD_create_response_from_fd_at_offset64) MHD_create_response_from_fd_at_offset64;
    decltype(&::MHD_add_response_header) MHD_add_response_header;
    decltype(&::MHD_queue_response) MHD_queue_response;
    decltype(&::MHD_destroy_response) MHD_destroy_response;
    decltype(&::MHD_free) MHD_free;
    decltype(&::MHD_suspend_connection) MHD_suspend_connection;
    decltype(&::MHD_resume_connection) MHD_resume_connection;

    /// The functions, loaded once (thread-safe); null with `err` filled when the library or one of them is missing.
    static const MicroHttpd* load(Error* err);
};
