#include "web/WebDocuments.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "ftp/FtpPathResolver.h"

namespace fs = std::filesystem;

namespace {

TEST(WebDocuments, NamesARequestMayGive) {
    struct Row {
        std::string_view segment;
        std::optional<std::string> name;
    } rows[] = {
        {"a.pdf", "a.pdf"},
        {"my%20file.pdf", "my file.pdf"},
        {"%C3%A9t%C3%A9.pdf", "\xC3\xA9t\xC3\xA9.pdf"},
        {"%4a%4A%2e", "JJ."},
        {"100%25", "100%"},
        {"%7E", "~"},
        {"a%20", "a "},
        {"", std::nullopt},
        {".", std::nullopt},
        {"..", std::nullopt},
        {".hidden", std::nullopt},
        {"%2E%2E", std::nullopt},
        {"%2e.velkaro-upload-1", std::nullopt},
        {"a/b", std::nullopt},
        {"a%2Fb", std::nullopt},
        {"a%2fb", std::nullopt},
        {"a%00b", std::nullopt},
        {"a%1Fb", std::nullopt},
        {"a%7Fb", std::nullopt},
        {"a\tb", std::nullopt},
        {"%FF.pdf", std::nullopt},  // not UTF-8
        {"%C3", std::nullopt},
        {"%", std::nullopt},
        {"a%4", std::nullopt},
        {"%4", std::nullopt},
        {"%zz", std::nullopt},
        {"%g0", std::nullopt},
        {"%0g", std::nullopt},
        {"%@0", std::nullopt},
        {"%G0", std::nullopt},
        {"%/0", std::nullopt},
        {"%:0", std::nullopt},
        {"%`0", std::nullopt},
        // A cut escape whose digits lie just past the segment is not completed from beyond it.
        {std::string_view("a%41", 3), std::nullopt},
        {std::string_view("%41", 2), std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WebDocuments::nameFromSegment(row.segment), row.name) << std::string(row.segment);
    // Every hex digit in both cases.
    EXPECT_EQ(WebDocuments::nameFromSegment("%30%39%41%46%61%66%4a"), "09AFafJ");
    EXPECT_EQ(WebDocuments::nameFromSegment("%6A%6a%6F%6f%3a"), "jjoo:");
}

TEST(WebDocuments, PathsARequestMayGive) {
    struct Row {
        std::string_view segments;
        std::optional<std::string> path;
    } rows[] = {
        {"a.pdf", "a.pdf"},
        {"Books/a.pdf", "Books/a.pdf"},
        {"Books/", "Books"},
        {"B%C3%A9/x%20y", "B\xC3\xA9/x y"},
        {"", ""},
        {"Books//a.pdf", std::nullopt},
        {"Books//", std::nullopt},
        {"/a.pdf", std::nullopt},
        {"Books/../a.pdf", std::nullopt},
        {"Books/.hidden/a.pdf", std::nullopt},
        {"a%2Fb/c", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WebDocuments::pathFromSegments(row.segments), row.path) << std::string(row.segments);
}

TEST(WebDocuments, ContentTypesByExtension) {
    struct Row {
        const char* name;
        const char* type;
    } rows[] = {
        {"a.pdf", "application/pdf"},
        {"A.PDF", "application/pdf"},
        {"notes.txt", "text/plain; charset=utf-8"},
        {"p.png", "image/png"},
        {"p.jpg", "image/jpeg"},
        {"p.JPEG", "image/jpeg"},
        {"d.svg", "image/svg+xml"},
        // A page from the share is never run as one in the browser.
        {"page.htm", "text/plain; charset=utf-8"},
        {"page.html", "text/plain; charset=utf-8"},
        {"a.zip", "application/zip"},
        {"x.pdf", "application/pdf"},
        {".pdf", "application/octet-stream"},
        {"pdf", "application/octet-stream"},
        {"a.pdf.exe", "application/octet-stream"},
        {"a.tar.gz", "application/octet-stream"},
        {"", "application/octet-stream"},
    };
    for (const auto& row : rows) EXPECT_STREQ(WebDocuments::contentType(row.name), row.type) << row.name;
}

TEST(WebDocuments, ContentDispositionNamesTheFileForEveryBrowser) {
    struct Row {
        std::string name;
        const char* plain;    // the quoted ASCII name
        const char* encoded;  // filename*
    } rows[] = {
        {"a.pdf", "a.pdf", "a.pdf"},
        {"azAZ09-._~", "azAZ09-._~", "azAZ09-._~"},
        {"my \"x\".pdf", "my _x_.pdf", "my%20%22x%22.pdf"},
        {"a\\b", "a_b", "a%5Cb"},
        {"\xC3\xA9t\xC3\xA9.pdf", "__t__.pdf", "%C3%A9t%C3%A9.pdf"},
        {"`{@[/:!", "`{@[/:!", "%60%7B%40%5B%2F%3A%21"},
        {"\x1f\x7f ~", "__ ~", "%1F%7F%20~"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WebDocuments::attachment(row.name),
                  std::string("attachment; filename=\"") + row.plain + "\"; filename*=UTF-8''" + row.encoded)
            << row.name;
}

TEST(WebDocuments, ListsTheFilesAndFoldersOfAFolderByNameAsJson) {
    std::string tmpl = (fs::temp_directory_path() / "velkaro-webdocs-XXXXXX").string();
    const std::string root = fs::canonical(::mkdtemp(tmpl.data())).string();
    const std::string base = root + "/docs";
    fs::create_directories(base + "/Sub");
    std::ofstream(base + "/b.pdf") << "bbb";
    std::ofstream(base + "/a.txt") << "a";
    std::ofstream(base + "/Sub/deeper.pdf") << "d";
    std::ofstream(base + "/.velkaro-upload-0123456789abcdef") << "partial";
    std::ofstream(base + "/.hidden") << "h";
    std::ofstream(base + "/\xFF.pdf") << "not UTF-8";
    std::ofstream(root + "/secret") << "outside";
    fs::create_symlink("b.pdf", base + "/in-link");
    fs::create_symlink(root + "/secret", base + "/out-link");
    fs::create_symlink("missing", base + "/dangling");
    fs::create_symlink("Sub", base + "/sub-link");
    ASSERT_EQ(::mkfifo((base + "/pipe").c_str(), 0600), 0);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (base + "/b.pdf").c_str(), times, 0), 0);

    const FtpPathResolver paths(base);
    const auto documents = WebDocuments::list(paths).value_or(std::vector<WebDocuments::Document>{});
    std::vector<std::string> names;
    for (const auto& d : documents) names.push_back(d.name + (d.folder ? "/" : ""));
    EXPECT_EQ(names, (std::vector<std::string>{"Sub/", "a.txt", "b.pdf", "in-link", "sub-link/"}));
    ASSERT_EQ(documents.size(), 5u);
    EXPECT_EQ(documents[2].size, 3u);
    EXPECT_EQ(documents[2].mtime, 1700000000);
    EXPECT_EQ(documents[3].size, 3u);
    EXPECT_EQ(documents[0].size, 0u);
    // A folder's own list; nothing for what is not a folder beneath the base.
    const auto inside = WebDocuments::list(paths, "sub-link");
    ASSERT_TRUE(inside.has_value());
    ASSERT_EQ(inside->size(), 1u);
    EXPECT_EQ((*inside)[0].name, "deeper.pdf");
    for (const char* folder : {"missing", "b.pdf", "out-link", ".."})
        EXPECT_FALSE(WebDocuments::list(paths, folder).has_value()) << folder;
    EXPECT_FALSE(WebDocuments::list(FtpPathResolver(root + "/missing")).has_value());
    fs::remove_all(root);

    EXPECT_EQ(WebDocuments::toJson({}), "[]");
    EXPECT_EQ(WebDocuments::toJson({{"a\"b\\c.pdf", 12, 1700000000}, {"\xC3\xA9.txt", 0, -1}, {"Sub", 0, 5, true}}),
              "[{\"name\":\"a\\\"b\\\\c.pdf\",\"size\":12,\"mtime\":1700000000},"
              "{\"name\":\"\xC3\xA9.txt\",\"size\":0,\"mtime\":-1},{\"name\":\"Sub\",\"size\":0,\"mtime\":5,\"folder\":true}]");
}

}  // namespace
