#pragma once
#include <avahi-client/client.h>
#include <avahi-client/publish.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/RunLoop.h"
#include "web/AvahiRunLoopPoll.h"

/// One service to make known on the local network.
struct DnsSdService {
    std::string type;               ///< "_ftp._tcp", "_http._tcp"
    std::uint16_t port = 0;
    std::vector<std::string> text;  ///< TXT records, "key=value"
};

/// Makes services known over DNS-SD through the Avahi daemon while it lives, so file managers list them without
/// anyone typing an address; they are withdrawn when it is destroyed. All services go under one name, "Velkaro on
/// HOSTNAME"; when another host holds it, Avahi's next alternative name is taken. Without a running daemon this
/// says so once and keeps waiting: the services appear if the daemon starts later.
class DnsSdAnnouncer {
public:
    using Reporter = std::function<void(const std::string&)>;

    /// Starts announcing `services` (ports of 0 are left out). `report` hears the few lines worth telling the
    /// owner (no daemon, the name taken); by default they go to the log.
    explicit DnsSdAnnouncer(std::vector<DnsSdService> services, Reporter report = {},
                            RunLoop& loop = RunLoop::main());
    ~DnsSdAnnouncer();
    DnsSdAnnouncer(const DnsSdAnnouncer&) = delete;
    DnsSdAnnouncer& operator=(const DnsSdAnnouncer&) = delete;

    /// The services of a share: `_ftp._tcp` on `ftpPort` (path "/") and `_http._tcp` on `webPort` with the page's
    /// `webPath` ("/", or "/?k=…" when the owner wants the key announced); a port of 0 leaves its service out.
    static std::vector<DnsSdService> sharingServices(std::uint16_t ftpPort, std::uint16_t webPort,
                                                     const std::string& webPath);
    /// "Velkaro on HOSTNAME".
    static std::string defaultName();
    /// The name in use (another one after a collision).
    const std::string& name() const { return name_; }
    /// Whether the daemon has confirmed every service under `name`.
    bool isEstablished() const { return established_; }

private:
    static void onClientState(AvahiClient* client, AvahiClientState state, void* self);
    static void onGroupState(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self);
    void startClient();
    void publish(AvahiClient* client);
    void takeNextName();

    AvahiRunLoopPoll poll_;
    std::vector<DnsSdService> services_;
    Reporter report_;
    RunLoop& loop_;
    std::string name_;
    AvahiClient* client_ = nullptr;
    AvahiEntryGroup* group_ = nullptr;
    bool established_ = false;
    bool toldNoDaemon_ = false;
    RunLoop::Handle restart_ = 0;
};
