#include "web/DnsSdAnnouncer.h"

#include <unistd.h>

#include <climits>

#include "platform/Log.h"
#include "web/AvahiLibrary.h"

namespace {

constexpr double kRestartSeconds = 5;
const char* const kNoDaemon = "DNS-SD: no Avahi daemon is running; the services are not announced (sharing goes on "
                              "without it)";

// Called only once a client exists, which the library's loading came first for.
const AvahiLibrary& avahi() { return *AvahiLibrary::load(nullptr); }

}  // namespace

DnsSdAnnouncer::DnsSdAnnouncer(std::vector<DnsSdService> services, Reporter report, RunLoop& loop)
    : poll_(loop), services_(std::move(services)), report_(std::move(report)), loop_(loop), name_(defaultName()) {
    if (!report_) report_ = [](const std::string& line) { logLine(line); };
    std::erase_if(services_, [](const DnsSdService& s) { return s.port == 0; });
    startClient();
}

DnsSdAnnouncer::~DnsSdAnnouncer() {
    loop_.cancel(restart_);
    // Freeing the client withdraws its entry groups from the daemon.
    if (client_) avahi().avahi_client_free(client_);
}

std::vector<DnsSdService> DnsSdAnnouncer::sharingServices(std::uint16_t ftpPort, std::uint16_t webPort,
                                                          const std::string& webPath) {
    return {{"_ftp._tcp", ftpPort, {"path=/"}}, {"_http._tcp", webPort, {"path=" + webPath}}};
}

std::string DnsSdAnnouncer::defaultName() {
    char host[HOST_NAME_MAX + 1] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !host[0]) return "Velkaro";
    std::string name = host;
    if (auto dot = name.find('.'); dot != std::string::npos) name.resize(dot);  // the host, not its domain
    return "Velkaro on " + name;
}

void DnsSdAnnouncer::startClient() {
    std::string failure;
    if (!AvahiLibrary::load(&failure)) return report_("DNS-SD: the services are not announced: " + failure);
    int error = 0;
    // NO_FAIL: without a daemon the client waits for one instead of failing.
    client_ =
        avahi().avahi_client_new(poll_.api(), AVAHI_CLIENT_NO_FAIL, &DnsSdAnnouncer::onClientState, this, &error);
    if (!client_) report_(error == AVAHI_ERR_NO_DAEMON ? kNoDaemon
                                                       : std::string("DNS-SD: the services are not announced: ") +
                                                             avahi().avahi_strerror(error));
}

void DnsSdAnnouncer::onClientState(AvahiClient* client, AvahiClientState state, void* self) {
    auto* announcer = static_cast<DnsSdAnnouncer*>(self);
    switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            announcer->publish(client);
            break;
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            // The host's own name is being settled; the services go up again once it runs.
            if (announcer->group_) avahi().avahi_entry_group_reset(announcer->group_);
            announcer->established_ = false;
            break;
        case AVAHI_CLIENT_CONNECTING:
            if (!announcer->toldNoDaemon_)
                announcer->report_(kNoDaemon);
            announcer->toldNoDaemon_ = true;
            break;
        case AVAHI_CLIENT_FAILURE:
            // The daemon went away: start over, waiting for it to come back. Never from inside its own callback.
            announcer->established_ = false;
            announcer->group_ = nullptr;
            announcer->loop_.cancel(announcer->restart_);
            announcer->restart_ = announcer->loop_.runAfter(kRestartSeconds, [announcer] {
                announcer->restart_ = 0;
                if (announcer->client_) avahi().avahi_client_free(announcer->client_);
                announcer->client_ = nullptr;
                announcer->startClient();
            });
            break;
    }
}

void DnsSdAnnouncer::onGroupState(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self) {
    auto* announcer = static_cast<DnsSdAnnouncer*>(self);
    if (state == AVAHI_ENTRY_GROUP_ESTABLISHED) {
        announcer->established_ = true;
        logLine("DNS-SD: announced as \"" + announcer->name_ + "\"");
    } else if (state == AVAHI_ENTRY_GROUP_COLLISION) {
        announcer->takeNextName();
        announcer->publish(avahi().avahi_entry_group_get_client(group));
    } else if (state == AVAHI_ENTRY_GROUP_FAILURE) {
        announcer->report_(std::string("DNS-SD: announcing failed: ") +
                           avahi().avahi_strerror(avahi().avahi_client_errno(avahi().avahi_entry_group_get_client(group))));
    }
}

void DnsSdAnnouncer::takeNextName() {
    char* next = avahi().avahi_alternative_service_name(name_.c_str());
    report_("DNS-SD: \"" + name_ + "\" is taken on the network; announcing as \"" + next + "\"");
    name_ = next;
    avahi().avahi_free(next);
}

void DnsSdAnnouncer::publish(AvahiClient* client) {
    if (!group_) group_ = avahi().avahi_entry_group_new(client, &DnsSdAnnouncer::onGroupState, this);
    if (!group_) return report_(std::string("DNS-SD: ") + avahi().avahi_strerror(avahi().avahi_client_errno(client)));
    avahi().avahi_entry_group_reset(group_);
    established_ = false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        int error = AVAHI_OK;
        for (const DnsSdService& service : services_) {
            AvahiStringList* text = nullptr;
            for (const std::string& record : service.text) text = avahi().avahi_string_list_add(text, record.c_str());
            error = avahi().avahi_entry_group_add_service_strlst(group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                                         static_cast<AvahiPublishFlags>(0), name_.c_str(),
                                                         service.type.c_str(), nullptr, nullptr, service.port, text);
            avahi().avahi_string_list_free(text);
            if (error != AVAHI_OK) break;
        }
        if (error == AVAHI_ERR_COLLISION) {  // a service of ours on this host already has the name
            avahi().avahi_entry_group_reset(group_);
            takeNextName();
            continue;
        }
        if (error == AVAHI_OK) error = avahi().avahi_entry_group_commit(group_);
        if (error != AVAHI_OK) report_(std::string("DNS-SD: announcing failed: ") + avahi().avahi_strerror(error));
        return;
    }
}
