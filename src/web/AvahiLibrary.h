#pragma once
#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>

#include <string>

/// The Avahi client functions that the DNS-SD announcement uses, found when the first announcement starts: the
/// library brings D-Bus, systemd's and their compression and crypto libraries, which no other run needs.
struct AvahiLibrary {
    decltype(&::avahi_client_new) avahi_client_new;
    decltype(&::avahi_client_free) avahi_client_free;
    decltype(&::avahi_client_errno) avahi_client_errno;
    decltype(&::avahi_entry_group_new) avahi_entry_group_new;
    decltype(&::avahi_entry_group_get_client) avahi_entry_group_get_client;
    decltype(&::avahi_entry_group_add_service_strlst) avahi_entry_group_add_service_strlst;
    decltype(&::avahi_entry_group_commit) avahi_entry_group_commit;
    decltype(&::avahi_entry_group_reset) avahi_entry_group_reset;
    decltype(&::avahi_alternative_service_name) avahi_alternative_service_name;
    decltype(&::avahi_string_list_add) avahi_string_list_add;
    decltype(&::avahi_string_list_free) avahi_string_list_free;
    decltype(&::avahi_strerror) avahi_strerror;
    decltype(&::avahi_free) avahi_free;

    /// The functions, loaded once (thread-safe); null with `failure` (if given) saying why when the library or one
    /// of them is missing.
    static const AvahiLibrary* load(std::string* failure);
};
