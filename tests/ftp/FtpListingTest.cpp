#include "ftp/FtpListing.h"
#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "velkaro-listing-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { fs::remove_all(path_); }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name, size_t size, unsigned mode = 0644) const {
        std::string p = path_ + "/" + name;
        std::ofstream(p, std::ios::binary) << std::string(size, 'x');
        ::chmod(p.c_str(), mode);
        return p;
    }

private:
    std::string path_;
};

std::vector<std::string> bodyLines(const std::string& listing) {
    std::vector<std::string> lines;
    size_t start = listing.find("\r\n") + 2;
    while (start < listing.size()) {
        size_t end = listing.find('\n', start);
        lines.push_back(listing.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The date column of the listing for a given local time, set on the file itself.
void setModified(const std::string& path, int month, int day, int hour, int minute) {
    std::tm tm{};
    tm.tm_year = 2024 - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    timeval times[2] = {{std::mktime(&tm), 0}, {std::mktime(&tm), 0}};
    ::utimes(path.c_str(), times);
}

}  // namespace

TEST(FtpListing, EmptyMissingAndHiddenOnlyDirectoriesGiveTheBareHeader) {
    TempDir dir;
    EXPECT_EQ(FtpListing::createList(dir.path()), "total 0\r\n");
    EXPECT_EQ(FtpListing::createList(dir.path() + "/missing"), "total 0\r\n");
    dir.file("plain", 3);
    EXPECT_EQ(FtpListing::createList(dir.path() + "/plain"), "total 0\r\n");  // not a directory
    fs::remove(dir.path() + "/plain");
    dir.file(".DS_Store", 10);
    EXPECT_EQ(FtpListing::createList(dir.path()), "total 0\r\n");
}

TEST(FtpListing, FileLineMatchesTheLsShapeFieldByField) {
    TempDir dir;
    dir.file(".DS_Store", 10);
    auto p = dir.file("a.pdf", 1234, 0644);
    setModified(p, 3, 5, 14, 7);
    std::string owner = FtpListing::ownerName(::getuid());
    std::string group = FtpListing::groupName(::getgid());
    char expected[256];
    std::snprintf(expected, sizeof expected, "-rw-r--r--     1 %12s %12s       1234 Mar  5  2024 a.pdf", owner.c_str(),
                  group.c_str());  // more than six months ago: the year instead of the time
    EXPECT_EQ(FtpListing::createList(dir.path()), std::string("total 1\r\n") + expected + "\n");
}

TEST(FtpListing, PermissionLettersAndLinkCounts) {
    struct Case {
        bool dir;
        unsigned mode;
        long links;
        std::string prefix;
    };
    const Case cases[] = {
        {false, 0644, 0, "-rw-r--r--     1 "}, {false, 0755, 0, "-rwxr-xr-x     1 "},
        {false, 0666, 0, "-rw-rw-rw-     1 "}, {false, 0777, 0, "-rwxrwxrwx     1 "},
        {false, 04755, 0, "-rwxr-xr-x     1 "},  // set-user-ID is not shown
        {true, 0700, 3, "drwx------     3 "},   {true, 0, 0, "d---------     1 "},
        {true, 0755, 123456, "drwxr-xr-x 123456 "},
    };
    for (const auto& c : cases) {
        std::string line = FtpListing::formatLine(c.dir, c.mode, c.links, "u", "g", 0, 0, "n");
        EXPECT_EQ(line.substr(0, c.prefix.size()), c.prefix) << std::oct << c.mode;
    }
    // Names longer than the column are never cut; the size column is 10 wide and holds 64-bit values.
    std::string line = FtpListing::formatLine(false, 0644, 0, "averyverylongowner", "g", 18446744073709551615ull, 0,
                                              "n");
    EXPECT_NE(line.find(" averyverylongowner            g 18446744073709551615 "), std::string::npos) << line;
}

TEST(FtpListing, DirectoriesCountTheirEntriesHiddenOnesIncluded) {
    TempDir dir;
    fs::create_directory(dir.path() + "/Books");
    std::ofstream(dir.path() + "/Books/a") << "1";
    std::ofstream(dir.path() + "/Books/b") << "1";
    std::ofstream(dir.path() + "/Books/.c") << "1";
    fs::create_directory(dir.path() + "/Books/sub");  // counted, not descended into
    std::ofstream(dir.path() + "/Books/sub/deep") << "1";
    fs::create_directory(dir.path() + "/Empty");
    fs::create_symlink("Books", dir.path() + "/link");
    auto lines = bodyLines(FtpListing::createList(dir.path()));
    ASSERT_EQ(lines.size(), 3u);
    std::set<std::string> seen;
    for (const auto& l : lines) {
        std::istringstream in(l);
        std::string perms, links, owner, group, size, mon, day, time, name;
        in >> perms >> links >> owner >> group >> size >> mon >> day >> time >> name;
        seen.insert(name);
        std::string kind = perms.substr(0, 1) + links;
        if (name == "Books") {
            EXPECT_EQ(kind, "d4");
        } else if (name == "Empty") {
            EXPECT_EQ(kind, "d1");
        } else {
            EXPECT_EQ(kind, "-1");  // a link is described as itself, not as its target
        }
    }
    EXPECT_EQ(seen, (std::set<std::string>{"Books", "Empty", "link"}));
}

TEST(FtpListing, NamesAreListedAsOnDisk) {
    TempDir dir;
    dir.file("my file.pdf", 1);
    dir.file("Cafe\xCC\x81.pdf", 1);  // "e" + combining acute accent (form D), as a Mac names it
    std::string listing = FtpListing::createList(dir.path());
    EXPECT_NE(listing.find(" my file.pdf\n"), std::string::npos);
    EXPECT_NE(listing.find(" Cafe\xCC\x81.pdf\n"), std::string::npos);  // as on disk, so RETR of it finds it
}

TEST(FtpListing, UnknownIdsShowAsNumbersAndDatesUseEnglishMonths) {
    EXPECT_EQ(FtpListing::ownerName(0), "root");
    EXPECT_EQ(FtpListing::ownerName(3999999), "3999999");
    EXPECT_EQ(FtpListing::groupName(3999998), "3999998");
    std::tm tm{};
    tm.tm_year = 124;
    tm.tm_mon = 11;
    tm.tm_mday = 31;
    tm.tm_hour = 23;
    tm.tm_min = 59;
    tm.tm_isdst = -1;
    // As ls writes it: the time within six months before now, the year for older dates and dates to come.
    const std::time_t when = std::mktime(&tm);
    const std::time_t day = 24 * 3600;
    EXPECT_EQ(FtpListing::formatDate(when, when + 30 * day), "Dec 31 23:59");
    EXPECT_EQ(FtpListing::formatDate(when, when), "Dec 31 23:59");
    EXPECT_EQ(FtpListing::formatDate(when, when + 200 * day), "Dec 31  2024");
    EXPECT_EQ(FtpListing::formatDate(when, when - day), "Dec 31  2024");
    tm.tm_mday = 1;
    EXPECT_EQ(FtpListing::formatDate(std::mktime(&tm), when), "Dec  1 23:59");
    EXPECT_EQ(FtpListing::formatUtcTime(1709647620), "20240305140700");
    EXPECT_EQ(FtpListing::formatUtcTime(0), "19700101000000");
}

TEST(FtpListing, NameAndFactListingsSelectByPatternAndSkipLineEnds) {
    TempDir dir;
    dir.file("a.pdf", 3);
    dir.file("b[1].txt", 1);
    dir.file(".hidden.pdf", 1);
    dir.file("cr\rname.pdf", 1);
    dir.file("lf\nname.pdf", 1);
    fs::create_directory(dir.path() + "/Sub");
    UniqueFd fd(::open(dir.path().c_str(), O_PATH | O_DIRECTORY));
    using Style = FtpListing::Style;
    struct Case {
        Style style;
        std::string pattern, prefix;
        std::set<std::string> lines;
    };
    const Case cases[] = {
        {Style::names, "", "", {"a.pdf\r", "b[1].txt\r", "Sub\r"}},
        {Style::names, "*.pdf", "dir/", {"dir/a.pdf\r"}},
        {Style::names, "b[1].txt", "", {}},  // "[1]" is a set of one character
        {Style::names, FtpListing::escapedPattern("b[1].txt"), "", {"b[1].txt\r"}},
        {Style::names, "*name*", "", {}},
        {Style::facts, "a*", "", {"type=file;size=3;modify=", "; a.pdf\r"}},
    };
    for (const auto& c : cases) {
        std::string listing = FtpListing::createList(fd.get(), dir.path(), c.style, c.pattern, c.prefix);
        std::set<std::string> lines;
        std::istringstream in(listing);
        for (std::string line; std::getline(in, line);) {
            if (c.style == Style::facts) {  // the parts that do not change from run to run
                lines.insert(line.substr(0, line.find("modify=") + 7));
                lines.insert(line.substr(line.rfind(';')));
            } else {
                lines.insert(line);
            }
        }
        EXPECT_EQ(lines, c.lines) << c.pattern;
    }
    EXPECT_EQ(bodyLines(FtpListing::createList(fd.get(), dir.path())).size(), 3u);  // the long listing skips them too
    std::string facts = FtpListing::factsOf(fd.get(), "Sub", true);
    EXPECT_EQ(facts.substr(0, 9), "type=dir;");
    EXPECT_NE(facts.find(";unique="), std::string::npos);
    EXPECT_EQ(FtpListing::factsOf(fd.get(), "missing", false), "");
}
