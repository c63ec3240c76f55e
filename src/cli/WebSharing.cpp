#include "cli/WebSharing.h"

#include <cstdlib>
#include <iostream>

#include "ftp/NetworkController.h"

std::string WebSharing::shownHost(const std::string& bindAddress) {
    if (!bindAddress.empty() && bindAddress != "0.0.0.0" && bindAddress != "::") return bindAddress;
    std::string address = NetworkController::localWifiIPAddress();
    return address.size() >= 6 ? address : "127.0.0.1";
}

void WebSharing::addAnnounceOptions(CLI::App& cmd, Flags& flags) {
    cmd.add_flag("--no-announce", flags.noAnnounce, "Do not announce the share on the network (DNS-SD)");
    cmd.add_flag("--announce-token", flags.announceToken,
                 "Put the page's key in its DNS-SD announcement, so browsing devices open it without the code");
}

WebSharing::WebSharing(bool withPage, unsigned webPort, const std::string& dir, WebOptions options,
                       std::uint16_t ftpPort, Flags flags) {
    if (withPage) {
        web_ = std::make_unique<WebServer>(webPort, dir, nullptr, std::move(options));
        if (!web_->isListening()) {
            std::cerr << "velkaro: cannot listen on web port " << webPort << ": "
                      << web_->listenError().localizedDescription << '\n';
            std::exit(1);
        }
        if (flags.printAddress) std::cout << address() << std::endl;
    }
    if (flags.noAnnounce) return;
    announcer_ = std::make_unique<DnsSdAnnouncer>(
        DnsSdAnnouncer::sharingServices(ftpPort, web_ ? web_->localPort() : 0,
                                        web_ && flags.announceToken ? "/?k=" + web_->token().text() : "/"),
        [](const std::string& line) { std::cerr << "velkaro: " << line << '\n'; });
}

std::string WebSharing::address() const {
    return web_ ? web_->address(shownHost(web_->options().bindAddress)) : std::string();
}

void WebSharing::stop() {
    announcer_.reset();
    if (web_) web_->stop();
}
