#pragma once

/// Replies that more than one command sends.
namespace FtpReplies {
inline constexpr const char* kMissingArgument = "501 Syntax error in parameters or arguments.";
inline constexpr const char* kNoDataConnection = "425 Can't open data connection.";
inline constexpr const char* kAborted = "426 Connection closed; transfer aborted.";
}  // namespace FtpReplies
