#include "datasheets/InfoDatasheetsView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "datasheets/DocumentsFolder.h"
#include "datasheets/InfoDatasheetOpen.h"
#include "app/AppTestSupport.h"
#include "datasheets/DatasheetsTestSupport.h"
#include "gui/DatasheetsTestPdf.h"
#include "library/LibraryIndexer.h"
#include "platform/ui/AlertView.h"

namespace {

std::vector<std::string> rowTitles(InfoDatasheetsView& screen) {
    std::vector<std::string> titles;
    int rows = screen.m_cTableData.numberOfRowsInSection(0);
    for (int r = 0; r < rows; ++r) titles.push_back(screen.m_cTableData.cellForRowAtIndexPath({0, r})->textLabel().text());
    return titles;
}

std::unique_ptr<InfoDatasheetsView> openList() {
    auto screen = std::make_unique<InfoDatasheetsView>();
    screen->loadViewIfNeeded();
    return screen;
}

}  // namespace

TEST(InfoDatasheetsView, ListsEveryEntryInTheFileSystemsOrder) {
    struct Case {
        const char* what;
        std::vector<std::string> files, folders;
    };
    const Case cases[] = {
        {"empty folder", {}, {}},
        {"a sub-folder and a file", {"LM317.pdf"}, {"regulators"}},
        {"hidden entries, blanks and non-ASCII letters", {".notes", "NE555 Datenblatt ü.pdf"}, {"Ångström"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchStore store("list");
        for (const auto& f : c.files) store.write(f, "x");
        for (const auto& d : c.folders) std::filesystem::create_directory(store.dir() / d);
        ScratchProfile profile("list-order");
        auto screen = openList();
        while (screen->order() != DatasheetStore::Order::Stored) screen->sendAction("onButtonOrder");

        const size_t count = c.files.size() + c.folders.size();
        EXPECT_EQ(screen->m_cFilesInfo.text(), "Files: " + std::to_string(count));
        EXPECT_EQ(screen->m_cTableData.numberOfSections(), 1);
        // The rows are exactly the folder's enumeration, in its order, with no filter.
        EXPECT_EQ(rowTitles(*screen), DocumentsFolder::contentsOfDirectoryAtPath(store.dir().string()));
        auto sorted = rowTitles(*screen);
        std::sort(sorted.begin(), sorted.end());
        auto expected = c.files;
        expected.insert(expected.end(), c.folders.begin(), c.folders.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(sorted, expected);
    }
}

TEST(InfoDatasheetsView, RowsChangeOnlyOnRefreshAndRefreshingTwiceDoesNotDouble) {
    ScratchStore store("refresh");
    store.write("first.pdf", "1");
    auto screen = openList();
    unsigned reloads = 0;
    screen->m_cTableData.setChangeObserver([&reloads] { ++reloads; });

    store.write("second.pdf", "2");
    EXPECT_EQ(screen->filesList().size(), 1u) << "a new file shows only after a refresh";

    screen->sendAction("onButtonRefresh");
    auto once = screen->filesList();
    screen->sendAction("onButtonRefresh");
    EXPECT_EQ(screen->filesList(), once);
    EXPECT_EQ(once.size(), 2u);
    EXPECT_EQ(screen->m_cFilesInfo.text(), "Files: 2");
    EXPECT_EQ(reloads, 2u) << "each refresh reloads the table";

    // updateFilesList alone rebuilds the list and the count line but leaves the table to its caller.
    std::filesystem::remove(store.dir() / "first.pdf");
    screen->updateFilesList();
    EXPECT_EQ(screen->m_cFilesInfo.text(), "Files: 1");
    EXPECT_EQ(reloads, 2u);
}

TEST(InfoDatasheetsView, TheListIsByNameUntilAnotherOrderIsChosen) {
    ScratchStore store("by-name");
    ScratchProfile profile("by-name");
    for (const char* name : {"b.pdf", "A10.pdf", "A9.pdf"}) store.write(name, "x");
    auto screen = openList();
    EXPECT_EQ(screen->order(), DatasheetStore::Order::Name);
    EXPECT_EQ(rowTitles(*screen), (std::vector<std::string>{"A9.pdf", "A10.pdf", "b.pdf"}));
}

TEST(InfoDatasheetsView, AFolderThatCannotBeReadListsNothingAndSaysWhy) {
    ScratchStore store("unreadable");
    auto screen = openList();
    std::filesystem::remove_all(store.dir());
    setDocumentsDirectory("/proc/self/fdinfo/no-such-folder");  // cannot be created or read
    screen->sendAction("onButtonRefresh");
    EXPECT_EQ(screen->m_cFilesInfo.text(), "Files: 0");
    EXPECT_EQ(screen->m_cTableData.numberOfRowsInSection(0), 0);
    EXPECT_FALSE(screen->m_cMessage.isHidden());
    EXPECT_EQ(screen->m_cMessage.text(),
              "The documents folder /proc/self/fdinfo/no-such-folder cannot be read: No such file or directory.");
    // Readable again, the message goes.
    setDocumentsDirectory(store.dir().string());
    std::filesystem::create_directories(store.dir());
    store.write("LM317.pdf", "x");
    screen->sendAction("onButtonRefresh");
    EXPECT_TRUE(screen->m_cMessage.isHidden());
}

TEST(InfoDatasheetsView, TappingARowOpensTheViewerOnThatEntryFolderOrFile) {
    ScratchStore store("tap");
    store.write("TL431 ref.pdf", "%PDF-1.4");
    std::filesystem::create_directory(store.dir() / "old");
    auto screen = openList();
    for (int row = 0; row < 2; ++row) {
        const std::string name = rowTitles(*screen)[static_cast<size_t>(row)];
        screen->m_cTableData.userTapRow({0, row});
        auto* viewer = dynamic_cast<InfoDatasheetOpen*>(screen->presentedViewController());
        ASSERT_NE(viewer, nullptr);
        EXPECT_EQ(viewer->nibName(), "InfoDatasheetOpen");
        EXPECT_EQ(viewer->m_sFileName(), name);
        EXPECT_EQ(viewer->m_cNavigationBar.title(), name);
        viewer->sendAction("onButtonBack");
        ASSERT_TRUE(turnUntil([&] { return screen->presentedViewController() == nullptr; }));
    }
}

TEST(InfoDatasheetsView, ImportDeleteAndRenameChangeTheStoreTheListAndTheIndex) {
    ScratchStore store("manage");
    store.write("LM317.pdf", "%PDF-1.4 in the store");
    const auto outside = store.dir().string() + "-outside";
    std::filesystem::create_directories(outside + "/folder");
    std::ofstream(outside + "/LM317.pdf") << "regulator notes";
    auto screen = openList();
    ASSERT_NE(screen->indexer(), nullptr);

    const auto written = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    std::filesystem::last_write_time(outside + "/LM317.pdf", written);
    screen->importFiles({outside + "/LM317.pdf", outside + "/folder"});
    EXPECT_EQ(store.read("LM317 (2).pdf"), "regulator notes") << "an existing name gets \" (2)\"";
    EXPECT_EQ(std::filesystem::last_write_time(store.dir() / "LM317 (2).pdf"), written) << "the source's date kept";
    EXPECT_TRUE(std::filesystem::exists(outside + "/LM317.pdf")) << "copied, never moved";
    EXPECT_EQ(screen->m_cFilesInfo.text(), "Files: 2");
    EXPECT_EQ(screen->m_cMessage.text(), "\"folder\" cannot be copied in: only files can be copied in.");

    struct Rename {
        const char *from, *to;
        bool done;
    } renames[] = {
        {"LM317 (2).pdf", "notes.txt", true},
        {"notes.txt", "LM317.pdf", false},  // taken
        {"notes.txt", "", false},
        {"notes.txt", "../escaped.txt", false},
        {"notes.txt", ".hidden", false},
        {"../LM317.pdf", "x.pdf", false},
    };
    for (const auto& r : renames) EXPECT_EQ(screen->renameEntry(r.from, r.to), r.done) << r.from << " -> " << r.to;
    EXPECT_EQ(store.read("notes.txt"), "regulator notes");
    EXPECT_FALSE(std::filesystem::exists(store.dir().parent_path() / "escaped.txt"));
    screen->indexer()->runUntilIdle();
    screen->m_cSearchField.userEdit("regulator");
    ASSERT_EQ(screen->resultRows().size(), 2u);  // the document's heading and its one hit
    EXPECT_EQ(screen->resultRows()[1].path, "notes.txt");

    for (int button : {0, 1}) {  // Cancel keeps the file, Delete removes it
        screen->deleteEntry("notes.txt");
        ASSERT_EQ(Application::shared().alerts().size(), 1u);
        EXPECT_EQ(Application::shared().alerts()[0]->title(), "Delete \"notes.txt\"?");
        Application::shared().alerts()[0]->clickButtonAtIndex(button);
        EXPECT_EQ(std::filesystem::exists(store.dir() / "notes.txt"), button == 0);
    }
    screen->indexer()->runUntilIdle();
    screen->m_cSearchField.userEdit("regulator");
    EXPECT_TRUE(screen->resultRows().empty());
    std::filesystem::remove_all(outside);

    // Many results: the first pages' snippets come with the results, the others one turn of the loop later.
    std::ofstream(store.dir() / "many.pdf") << makeTestPdf(std::vector<std::string>(60, "the regulator"));
    screen->onButtonRefresh();
    screen->indexer()->runUntilIdle();
    screen->m_cSearchField.userEdit("regulator");
    auto withSnippets = [&] {
        return std::count_if(screen->resultRows().begin(), screen->resultRows().end(),
                             [](const auto& r) { return !r.snippet.empty(); });
    };
    ASSERT_EQ(screen->resultRows().size(), 61u);
    EXPECT_EQ(withSnippets(), 30);
    RunLoop::main().runOnce(0);
    EXPECT_EQ(withSnippets(), 60);
}
