#include "web/MicroHttpd.h"

#include <cerrno>
#include <memory>

#include "platform/SystemLibrary.h"

const MicroHttpd* MicroHttpd::load(Error* err) {
    static SystemLibrary library("libmicrohttpd.so.12");
    static const std::unique_ptr<MicroHttpd> functions = [] {
        auto f = std::make_unique<MicroHttpd>();
#define BIND(name) library.bind(f->name, #name)
        BIND(MHD_start_daemon), BIND(MHD_stop_daemon), BIND(MHD_run), BIND(MHD_get_timeout);
        BIND(MHD_get_daemon_info), BIND(MHD_get_connection_info), BIND(MHD_set_connection_option);
        BIND(MHD_lookup_connection_value), BIND(MHD_get_connection_values);
        BIND(MHD_basic_auth_get_username_password);
        BIND(MHD_queue_basic_auth_fail_response), BIND(MHD_create_response_from_buffer);
        BIND(MHD_create_response_from_fd_at_offset64), BIND(MHD_add_response_header), BIND(MHD_queue_response);
        BIND(MHD_destroy_response), BIND(MHD_free), BIND(MHD_suspend_connection), BIND(MHD_resume_connection);
#undef BIND
        return library.ok() ? std::move(f) : nullptr;
    }();
    if (!functions && err) *err = {"WebServer", ELIBACC, "cannot load the HTTP library: " + library.failure()};
    return functions.get();
}
