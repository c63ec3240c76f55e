#include "web/AvahiLibrary.h"

#include <memory>

#include "platform/SystemLibrary.h"

const AvahiLibrary* AvahiLibrary::load(std::string* failure) {
    static SystemLibrary library("libavahi-client.so.3");  // brings libavahi-common, where the rest live
    static const std::unique_ptr<AvahiLibrary> functions = [] {
        auto f = std::make_unique<AvahiLibrary>();
#define BIND(name) library.bind(f->name, #name)
        BIND(avahi_client_new), BIND(avahi_client_free), BIND(avahi_client_errno), BIND(avahi_entry_group_new);
        BIND(avahi_entry_group_get_client), BIND(avahi_entry_group_add_service_strlst);
        BIND(avahi_entry_group_commit), BIND(avahi_entry_group_reset), BIND(avahi_alternative_service_name);
        BIND(avahi_string_list_add), BIND(avahi_string_list_free), BIND(avahi_strerror), BIND(avahi_free);
#undef BIND
        return library.ok() ? std::move(f) : nullptr;
    }();
    if (!functions && failure) *failure = library.failure();
    return functions.get();
}
