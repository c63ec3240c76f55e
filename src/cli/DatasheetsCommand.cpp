#include <sys/stat.h>

#include <iostream>

#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "datasheets/InfoDatasheetsView.h"
#include "platform/FileSystem.h"

void addDatasheetsCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("datasheets", "Datasheet store: list the documents folder");
    cmd->footer(
        "Prints \"Files: N\" and then one entry name per line, in the order the store's list shows them\n"
        "(the file system's order; sub-folders and hidden entries included).\n"
        "Example: velkaro datasheets --dir ~/datasheets");
    auto dir = std::make_shared<std::string>();
    cmd->add_option("--dir", *dir, "Folder to list instead of the documents folder");
    cmd->callback([dir] {
        if (!dir->empty()) {
            // The documents folder is created when missing; a folder named on the command line must exist.
            struct stat st {};
            if (::stat(dir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                throw UsageError("--dir " + *dir + " is not a folder");
            setDocumentsDirectory(*dir);
        }
        auto screen = std::make_unique<InfoDatasheetsView>();
        screen->loadViewIfNeeded();  // reads the folder as the screen does when it opens
        std::cout << screen->m_cFilesInfo.text() << '\n';
        for (const auto& name : screen->filesList()) std::cout << name << '\n';
    });
}
