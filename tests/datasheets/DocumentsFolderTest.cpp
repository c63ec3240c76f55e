#include "datasheets/DocumentsFolder.h"

#include <gtest/gtest.h>

#include "datasheets/DatasheetsTestSupport.h"

TEST(DocumentsFolder, FileAddressesEscapeEverythingButUnreservedLettersAndSlashes) {
    const std::pair<std::string, std::string> cases[] = {
        {"/a/b.pdf", "file:///a/b.pdf"},
        {"/a b/c d.pdf", "file:///a%20b/c%20d.pdf"},
        {"/ü/#?%.pdf", "file:///%C3%BC/%23%3F%25.pdf"},
        {"/x/A-Z_a~z.0", "file:///x/A-Z_a~z.0"},
    };
    for (const auto& [path, url] : cases) EXPECT_EQ(DocumentsFolder::fileURLWithPath(path), url);
}

TEST(DocumentsFolder, PathHasNoTrailingSeparatorAndNamesJoinAsGiven) {
    ScratchStore store("paths");
    setDocumentsDirectory(store.dir().string() + "/");
    EXPECT_EQ(DocumentsFolder::path(), store.dir().string());
    EXPECT_EQ(DocumentsFolder::pathForName("a b.pdf"), store.dir().string() + "/a b.pdf");
    EXPECT_TRUE(DocumentsFolder::contentsOfDirectoryAtPath(store.dir().string() + "/missing").empty());
}
