#pragma once
#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>

/// Whose TLS sessions the server issued, per session context (one per control connection): the client's address
/// and the account it logged in as. Some clients share one TLS session among all their control connections and
/// bring it to the data connection of another; the server lets them when the session is that same client's.
/// Sessions outlive their control connection, so entries do too; past `capacity` the oldest is forgotten.
class FtpTlsSessionBook {
public:
    explicit FtpTlsSessionBook(std::size_t capacity = 4096) : capacity_(capacity) {}

    /// Sessions issued under `context` belong to the client at `address`, logged in as `account` (nothing: not
    /// logged in). A later call for the same context replaces what was known.
    void record(const std::string& context, const std::string& address, const std::optional<std::string>& account);
    /// Whether a client at `address` logged in as `account` may resume a session issued under `context`: only a
    /// context recorded here, of the same address, whose client had logged in as the same account.
    bool accepts(const std::string& context, const std::string& address,
                 const std::optional<std::string>& account) const;
    std::size_t size() const { return owners_.size(); }

private:
    struct Owner {
        std::string address;
        std::optional<std::string> account;
        std::list<std::string>::iterator age;  // place in byAge_
    };
    std::size_t capacity_;
    std::list<std::string> byAge_;  // the most recent first
    std::unordered_map<std::string, Owner> owners_;
};
