#include "library/DocumentType.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

using Kind = DocumentType::Kind;

TEST(DocumentType, TheContentDecidesBeforeTheNameAndTextMustBeCleanUtf8) {
    struct Case {
        std::string head, name;
        Kind kind;
    };
    const Case cases[] = {
        {"%PDF-1.7\n...", "datasheet", Kind::Pdf},   // no extension: the header tells
        {"\r\n%PDF-1.4", "renamed.txt", Kind::Pdf},  // a little junk before the header
        {"hello", "broken.PDF", Kind::Pdf},          // the renderer will call it damaged
        {std::string("\x89PNG\r\n\x1a\n\0\0", 10), "pinout", Kind::Image},
        {"\xff\xd8\xff\xe0", "photo.dat", Kind::Image},
        {"GIF89a", "anim", Kind::Image},
        {std::string("RIFF\0\0\0\0WEBPVP8 ", 16), "x", Kind::Image},
        {"<svg xmlns=...", "logo.svg", Kind::Image},
        {"  <!DOCTYPE html><html>", "page", Kind::Html},
        {"<HTML><body>", "page.bin", Kind::Html},
        {"anything", "notes.htm", Kind::Html},
        {"R1 = 10k\n", "notes", Kind::Text},
        {"Widerstände\n", "liste.txt", Kind::Text},
        {"cut at the end \xc3", "long.txt", Kind::Text},  // a sequence cut by the head's end is fine
        {"cut euro \xe2\x82", "long.txt", Kind::Text},
        {"cut surrogate \xed\xa0", "x.txt", Kind::Unsupported},  // no continuation makes that valid
        {"overlong \xc0\xaf", "x.txt", Kind::Unsupported},
        {"", "empty", Kind::Text},
        {std::string("ab\0cd", 5), "data.bin", Kind::Unsupported},
        {"\xc3\x28 bad", "latin1.txt", Kind::Unsupported},
        {"PK\x03\x04", "sheet.zip", Kind::Unsupported},
    };
    for (const auto& c : cases) EXPECT_EQ(DocumentType::kindOfContent(c.head, c.name), c.kind) << c.name;
}

TEST(DocumentType, ExtensionIsLowerCaseAndALeadingDotIsNone) {
    const std::pair<std::string, std::string> cases[] = {
        {"a.PDF", "pdf"}, {"a.b.Html", "html"}, {".hidden", ""}, {"plain", ""}, {"trailing.", ""}};
    for (const auto& [name, ext] : cases) EXPECT_EQ(DocumentType::extensionOf(name), ext) << name;
}

TEST(DocumentType, FilesThatCannotBeShownSayWhy) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "velkaro-kinds-XXXXXX").string();
    const std::filesystem::path dir = ::mkdtemp(tmpl.data());
    std::ofstream(dir / "sheet.pdf") << "%PDF-1.4\n";
    std::filesystem::create_directory(dir / "folder");
    Error error;
    EXPECT_EQ(DocumentType::kindOfFile(dir / "sheet.pdf", &error), Kind::Pdf);

    struct Case {
        std::string name;
        long code;
        std::string text;
    };
    const Case cases[] = {
        {"gone.pdf", DocumentType::FileMissing, "\"gone.pdf\" is no longer in the store."},
        {"folder", DocumentType::IsFolder, "\"folder\" is a folder."},
    };
    for (const auto& c : cases) {
        error = {};
        EXPECT_FALSE(DocumentType::kindOfFile(dir / c.name, &error)) << c.name;
        EXPECT_EQ(error.domain, DocumentType::kErrorDomain);
        EXPECT_EQ(error.code, c.code) << c.name;
        EXPECT_EQ(error.localizedDescription.rfind(c.text, 0), 0u) << error.localizedDescription;
    }
    if (geteuid() != 0) {  // permissions do not stop root
        std::ofstream(dir / "locked.pdf") << "%PDF";
        ::chmod((dir / "locked.pdf").c_str(), 0);
        EXPECT_FALSE(DocumentType::kindOfFile(dir / "locked.pdf", &error));
        EXPECT_EQ(error.code, DocumentType::Unreadable);
        EXPECT_NE(error.localizedDescription.find("cannot be read"), std::string::npos);
    }
    EXPECT_NE(DocumentType::unsupportedError("x.zip").localizedDescription.find("Open with"), std::string::npos);
    std::filesystem::remove_all(dir);
}
