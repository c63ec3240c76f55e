#pragma once
#include <CLI/CLI.hpp>
#include <cstdint>
#include <memory>
#include <string>

#include "web/DnsSdAnnouncer.h"
#include "web/WebServer.h"

/// What `velkaro web` and `velkaro ftp` share without a display: the web page on the run loop with its address
/// printed on a line of its own, and the DNS-SD announcement of the page and of the FTP server.
class WebSharing {
public:
    struct Flags {
        bool noAnnounce = false;
        bool announceToken = false;
        bool printAddress = true;  ///< false when the caller prints it (--json)
    };
    /// The host to print in an address: the address the server is bound to, else the network's, else this
    /// machine itself (the address still works from here).
    static std::string shownHost(const std::string& bindAddress);
    /// Adds --no-announce and --announce-token to `cmd`.
    static void addAnnounceOptions(CLI::App& cmd, Flags& flags);

    /// Starts the page on `webPort` (nothing when `withPage` is false) over `dir`, prints
    /// "http://ADDR:PORT/?k=TOKEN", and announces it with an FTP server on `ftpPort` (0: none). A page that cannot
    /// listen ends the program with status 1 and the reason.
    WebSharing(bool withPage, unsigned webPort, const std::string& dir, WebOptions options, std::uint16_t ftpPort,
               Flags flags);
    /// Withdraws the announcement and closes the page.
    void stop();

    WebServer* server() const { return web_.get(); }
    /// "http://ADDR:PORT/?k=TOKEN", or empty without the page.
    std::string address() const;

private:
    std::unique_ptr<WebServer> web_;
    std::unique_ptr<DnsSdAnnouncer> announcer_;
};
