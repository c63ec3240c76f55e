#include <sys/stat.h>

#include <cstdlib>
#include <iostream>

#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PasswordFile.h"
#include "cli/StopSignals.h"
#include "cli/UsageError.h"
#include "cli/WebSharing.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"

void addWebCommand(CLI::App& app) {
    auto* cmd =
        app.add_subcommand("web", "Datasheet sharing by browser: serve a folder as a web page until interrupted");
    cmd->footer(
        "Serves DIR (default: the documents folder) as an upload and download page on port N (default 8080;\n"
        "0 picks a free port). Prints the address with its key (http://ADDR:PORT/?k=KEY): only someone who has\n"
        "it gets in. Scripts use GET /files/ and /files/FOLDER/, GET and PUT /files/PATH with the same ?k=KEY;\n"
        "a file's shared link is http://ADDR:PORT/k/KEY/files/PATH.\n"
        "Runs until Ctrl-C (SIGINT) or SIGTERM. Example: velkaro web --dir ~/datasheets --read-only");
    struct Settings {
        std::string dir;
        int port = 8080;
        WebOptions options;
        std::string passwordFile;
        WebSharing::Flags flags;
        bool verbose = false;
        bool json = false;
    };
    auto s = std::make_shared<Settings>();
    cmd->add_option("--dir", s->dir, "Folder to serve (default: the documents folder)");
    cmd->add_option("--port", s->port, "Port, 0 to 65535 (default 8080)");
    cmd->add_flag("--read-only", s->options.readOnly, "List and downloads only; uploads answer 403");
    cmd->add_option("--user", s->options.user, "Also ask browsers for this account (with --password-file)");
    cmd->add_option("--password-file", s->passwordFile, "File whose first line is the password of --user");
    cmd->add_option("--bind", s->options.bindAddress, "Listen on this address only (default: every address)");
    cmd->add_option("--max-clients", s->options.maxClients, "Connections at once (default 256)");
    cmd->add_option("--max-per-address", s->options.maxPerAddress, "Connections at once from one address; more are answered 503 (default 64)");
    cmd->add_option("--idle-timeout", s->options.idleTimeout,
                    "Seconds a request may make no progress (a stalled upload) before it is closed (default 60)");
    cmd->add_option("--request-timeout", s->options.requestTimeout,
                    "Seconds a request's line and headers may take to arrive whole (default 15)")
        ->check(CLI::Range(1, 3600));
    WebSharing::addAnnounceOptions(*cmd, s->flags);
    cmd->add_flag("--verbose", s->verbose, "Log every request on standard error");
    bench::addJsonFlag(cmd, s->json, "Print the start as one JSON object: url (with its key), port, dir");
    cmd->callback([s] {
        if (s->port < 0 || s->port > 65535)
            throw UsageError("--port must be between 0 and 65535, not " + std::to_string(s->port));
        if (s->options.user.empty() != s->passwordFile.empty())
            throw UsageError("--user and --password-file go together");
        if (!s->passwordFile.empty()) s->options.password = readPasswordFile(s->passwordFile);
        setLogLinesEnabled(s->verbose);
        if (!s->dir.empty()) {
            struct stat st {};
            if (::stat(s->dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                throw UsageError("--dir " + s->dir + " is not a folder");
            setDocumentsDirectory(s->dir);
        }
        StopSignals signals;
        if (!signals.ok()) {
            std::cerr << "velkaro: cannot watch for SIGINT and SIGTERM\n";
            std::exit(1);
        }
        RunLoop& loop = RunLoop::main();
        s->flags.printAddress = !s->json;
        WebSharing sharing(true, static_cast<unsigned>(s->port), documentsDirectory(), s->options, 0, s->flags);
        if (s->json)
            bench::printJson({{"url", sharing.address()},
                              {"port", static_cast<int>(sharing.server()->localPort())},
                              {"dir", sharing.server()->baseDir()}});
        else
            std::cout << format("Serving %@ on port %d", sharing.server()->baseDir(),
                                static_cast<int>(sharing.server()->localPort()))
                      << std::endl;
        std::cout.flush();
        signals.stopLoopOnSignal(loop);
        loop.run();
        sharing.stop();
        for (int i = 0; i < 10 && loop.runOnce(0); ++i) {
        }
        std::cerr << "velkaro: web server stopped (signal " << signals.caught() << ")\n";
    });
}
