#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PasswordFile.h"
#include "cli/StopSignals.h"
#include "cli/UsageError.h"
#include "cli/WebSharing.h"
#include "core/transfer/TransferTexts.h"
#include "ftp/FtpServer.h"
#include "ftp/NetworkController.h"
#include "net/TlsCertificate.h"
#include "net/TlsContext.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "platform/Utils.h"

namespace {

// "LOW-HIGH" with 1024 <= LOW <= HIGH <= 65535.
void parsePortRange(const std::string& text, FtpOptions& options) {
    auto dash = text.find('-');
    auto number = [&](const std::string& part) {
        if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos) return 0u;
        return static_cast<unsigned>(std::stoul(part));
    };
    unsigned low = dash == std::string::npos ? 0 : number(text.substr(0, dash));
    unsigned high = dash == std::string::npos ? 0 : number(text.substr(dash + 1));
    if (low < 1024 || high > 65535 || low > high)
        throw UsageError("--passive-ports must be LOW-HIGH within 1024-65535, not " + text);
    options.passivePortLow = low;
    options.passivePortHigh = high;
}

struct TlsFlags {
    bool offer = false;
    bool require = false;
    std::string certificate;
    std::string key;
};

// The server's TLS context from the flags, or none without --tls; the certificate's fingerprint, for the user to
// compare with what the client shows.
std::string setUpTls(const TlsFlags& flags, FtpOptions& options) {
    if (flags.certificate.empty() != flags.key.empty()) throw UsageError("--tls-cert and --tls-key go together");
    if (!flags.offer && !flags.require && !flags.certificate.empty())
        throw UsageError("--tls-cert needs --tls or --require-tls");
    if (!flags.offer && !flags.require) return {};
    Error err;
    auto certificate = flags.certificate.empty() ? TlsCertificate::loadOrCreate(TlsCertificate::defaultPath(), &err)
                                                 : TlsCertificate::fromFiles(flags.certificate, flags.key, &err);
    if (certificate) options.tls = TlsContext::server(*certificate, &err);
    if (!options.tls) {
        std::cerr << "velkaro: cannot offer TLS: " << err.localizedDescription << '\n';
        std::exit(1);
    }
    options.requireTls = flags.require;
    return certificate->fingerprint();
}

// The start lines as one JSON object, for a script that starts the server and reads where it listens.
void printStart(const std::string& address, int port, const std::string& dir, const std::string* fingerprint,
                bool tlsRequired, const std::string& webAddress) {
    using Json = nlohmann::ordered_json;
    // Without a network address there is nothing to give a client on another machine.
    const bool v6 = address.find(':') != std::string::npos;
    const std::string url = format("ftp://%@%@%@:%d", v6 ? "[" : "", address, v6 ? "]" : "", port);
    bench::printJson({{"url", address.empty() ? Json() : Json(url)},
                      {"port", port},
                      {"dir", dir},
                      {"total_mib", Utils::getTotalSpace()},
                      {"free_mib", Utils::getFreeSpace()},
                      {"tls", fingerprint ? Json{{"required", tlsRequired}, {"fingerprint", *fingerprint}} : Json()},
                      {"web_url", webAddress.empty() ? Json() : Json(webAddress)}});
    std::cout.flush();
}

}  // namespace

void addFtpCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("ftp", "Datasheet transfer: serve a folder over FTP until interrupted");
    cmd->footer(
        "Serves DIR (default: the documents folder) as \"/\" to any FTP client on the network, on port N\n"
        "(default 2121; 0 picks a free port). Prints the address to give the client and the storage line,\n"
        "then runs until Ctrl-C (SIGINT) or SIGTERM. Example: velkaro ftp --dir ~/datasheets --port 2121");
    auto dir = std::make_shared<std::string>();
    auto port = std::make_shared<int>(2121);
    cmd->add_option("--dir", *dir, "Folder to serve (default: the documents folder)");
    cmd->add_option("--port", *port, "Control port, 0 to 65535 (default 2121)");
    auto options = std::make_shared<FtpOptions>();
    options->idleTimeout = 900;  // on networks the owner does not control, a silent client does not stay
    options->loginTimeout = 60;
    options->transferTimeout = 300;
    auto passwordFile = std::make_shared<std::string>();
    auto passivePorts = std::make_shared<std::string>();
    auto verbose = std::make_shared<bool>(false);
    auto quiet = std::make_shared<bool>(false);
    auto tls = std::make_shared<TlsFlags>();
    cmd->add_flag("--read-only", options->readOnly, "Listing and downloads only; changes answer 550");
    cmd->add_option("--user", options->user, "The only account that may log in (with --password-file)");
    cmd->add_option("--password-file", *passwordFile, "File whose first line is the password of --user");
    cmd->add_option("--bind", options->bindAddress, "Listen on this address only (default: every address)");
    cmd->add_option("--passive-ports", *passivePorts, "Passive data ports LOW-HIGH, for a firewall");
    cmd->add_option("--max-clients", options->maxClients, "Clients at once; more are answered 421 (0: no limit)");
    cmd->add_option("--max-per-address", options->maxPerAddress, "Clients at once from one address (0: no limit)");
    cmd->add_option("--idle-timeout", options->idleTimeout, "Seconds a client may stay silent (default 900; 0: never)");
    cmd->add_option("--login-timeout", options->loginTimeout,
                    "Seconds a client has to log in, whatever it sends meanwhile (default 60; 0: no limit)");
    cmd->add_option("--transfer-timeout", options->transferTimeout,
                    "Seconds a transfer may move no byte before it is closed with 426 (default 300; 0: no limit)");
    cmd->add_flag("--tls", tls->offer, "Offer explicit FTPS (AUTH TLS) with the certificate made for this user");
    cmd->add_flag("--require-tls", tls->require, "Refuse logins and transfers that are not encrypted (implies --tls)");
    cmd->add_option("--tls-cert", tls->certificate, "PEM certificate (and chain) to present instead (with --tls-key)");
    cmd->add_option("--tls-key", tls->key, "PEM private key of --tls-cert");
    auto* quietFlag = cmd->add_flag("--quiet", *quiet, "Only the start lines and errors on standard error (the default)");
    cmd->add_flag("--verbose", *verbose, "Also log every command, reply and connection on standard error")
        ->excludes(quietFlag);
    auto webPort = std::make_shared<int>(0);
    auto webFlags = std::make_shared<WebSharing::Flags>();
    cmd->add_option("--web-port", *webPort, "Also serve the upload page on this port (default 0: no page)");
    WebSharing::addAnnounceOptions(*cmd, *webFlags);
    auto json = std::make_shared<bool>(false);
    bench::addJsonFlag(cmd, *json,
                       "Print the start as one JSON object: url, port, dir, total_mib, free_mib, tls {required, "
                       "fingerprint} (null without TLS), web_url (null without the page)");
    cmd->callback([dir, port, options, passwordFile, passivePorts, verbose, webPort, webFlags, tls, json] {
        if (*port < 0 || *port > 65535) throw UsageError("--port must be between 0 and 65535, not " + std::to_string(*port));
        if (*webPort < 0 || *webPort > 65535)
            throw UsageError("--web-port must be between 0 and 65535, not " + std::to_string(*webPort));
        if (options->user.empty() != passwordFile->empty())
            throw UsageError("--user and --password-file go together");
        if (!passwordFile->empty()) options->password = readPasswordFile(*passwordFile);
        if (!passivePorts->empty()) parsePortRange(*passivePorts, *options);
        if (options->idleTimeout < 0) throw UsageError("--idle-timeout must not be negative");
        if (options->loginTimeout < 0) throw UsageError("--login-timeout must not be negative");
        if (options->transferTimeout < 0) throw UsageError("--transfer-timeout must not be negative");
        const std::string fingerprint = setUpTls(*tls, *options);
        setLogLinesEnabled(*verbose);
        if (!dir->empty()) {
            struct stat st {};
            if (::stat(dir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                throw UsageError("--dir " + *dir + " is not a folder");
            setDocumentsDirectory(*dir);  // the storage line then describes the served folder's file system
        }
        const std::string base = documentsDirectory();
        ::signal(SIGPIPE, SIG_IGN);
        StopSignals signals;
        if (!signals.ok()) {
            std::cerr << "velkaro: cannot watch for SIGINT and SIGTERM\n";
            std::exit(1);
        }
        RunLoop& loop = RunLoop::main();
        auto server = std::make_unique<FtpServer>(static_cast<unsigned>(*port), base, nullptr, *options);
        if (!server->isListening()) {
            // The transfer screen stays silent here; a command line must say why nothing will connect.
            std::cerr << "velkaro: cannot listen on port " << *port << ": "
                      << server->listenError().localizedDescription << '\n';
            server.reset();
            std::exit(1);
        }
        const int actualPort = server->localPort();
        std::string address = options->bindAddress.empty() ? NetworkController::localWifiIPAddress()
                                                            : WebSharing::shownHost(options->bindAddress);
        // The same two lines the transfer screen shows.
        if (!*json)
            std::cout << TransferTexts::link(address, static_cast<unsigned>(actualPort)) << '\n'
                      << TransferTexts::deviceInfo(Utils::getTotalSpace(), Utils::getFreeSpace()) << '\n'
                      << (options->tls ? format("FTPS (AUTH TLS)%@, certificate SHA-256 %@\n",
                                                options->requireTls ? " required" : "", fingerprint)
                                       : std::string())
                      << format("Serving %@ on port %d", server->baseDir(), actualPort) << std::endl;
        WebOptions web;  // the page takes the FTP server's limits
        web.readOnly = options->readOnly;
        web.user = options->user;
        web.password = options->password;
        web.penalties = server->loginPenalties();  // one failure book for the account, whichever way it is guessed
        web.bindAddress = options->bindAddress;
        if (options->maxClients) web.maxClients = options->maxClients;
        if (options->maxPerAddress) web.maxPerAddress = options->maxPerAddress;
        webFlags->printAddress = !*json;
        WebSharing sharing(*webPort != 0, static_cast<unsigned>(*webPort), base, web,
                           static_cast<std::uint16_t>(actualPort), *webFlags);
        if (*json) printStart(address, actualPort, server->baseDir(), options->tls ? &fingerprint : nullptr,
                              options->requireTls, sharing.address());
        signals.stopLoopOnSignal(loop);
        loop.run();
        sharing.stop();
        server->stopFtpServer();
        server.reset();
        // Let the sockets finish closing (deferred steps) before the program ends.
        for (int i = 0; i < 10 && loop.runOnce(0); ++i) {
        }
        std::cerr << "velkaro: FTP server stopped (signal " << signals.caught() << ")\n";
    });
}
