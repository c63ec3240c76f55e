#include "ftp/FtpTlsSessionBook.h"

#include <gtest/gtest.h>

TEST(FtpTlsSessionBook, AcceptsOnlyTheSameClientsOwnSessions) {
    FtpTlsSessionBook book(3);
    book.record("ftp-1", "127.0.0.1", std::string("ann"));
    book.record("ftp-2", "127.0.0.1", std::nullopt);  // TLS started, never logged in
    book.record("ftp-3", "::ffff:10.0.0.2", std::string(""));
    book.record("ftp-4", "127.0.0.1", std::string("bob"));
    book.record("ftp-4", "127.0.0.1", std::string("ann"));  // a later login replaces the earlier one
    struct Row {
        const char* context;
        const char* address;
        std::optional<std::string> account;
        bool accepted;
    } rows[] = {
        {"ftp-4", "127.0.0.1", "ann", true},
        {"ftp-4", "127.0.0.1", "bob", false},
        {"ftp-4", "127.0.0.2", "ann", false},        // another address
        {"ftp-4", "127.0.0.1", std::nullopt, false},  // not logged in here
        {"ftp-2", "127.0.0.1", std::nullopt, false},  // nor there
        {"ftp-3", "10.0.0.2", "", true},              // the same IPv4 client however the socket writes it
        {"ftp-9", "127.0.0.1", "ann", false},         // never issued
        {"ftp-1", "127.0.0.1", "ann", false},         // the oldest, forgotten past the capacity
    };
    for (const auto& row : rows)
        EXPECT_EQ(book.accepts(row.context, row.address, row.account), row.accepted) << row.context << " " << row.address;
    EXPECT_EQ(book.size(), 3u);
}
