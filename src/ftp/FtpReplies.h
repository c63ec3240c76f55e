#pragma once

/// Replies that more than one command sends.
namespace FtpReplies {
inline constexpr const char* kMissingArgument = "501 Syntax error in parameters or arguments.";
inline constexpr const char* kNoDataConnection = "425 Can't open data connection.";
inline constexpr const char* kAborted = "426 Connection closed; transfer aborted.";
/// A new name with a character that reorders the text around it ("invoice\u202Efdp.exe" shows as
/// "invoiceexe.pdf"): refused rather than shown in the window, on the page and in listings as another name.
inline constexpr const char* kReorderingName =
    "553 Names may not hold characters that reorder text (U+202A to U+202E, U+2066 to U+2069).";
}  // namespace FtpReplies
