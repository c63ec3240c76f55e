#pragma once
#include "platform/Error.h"

class TlsModule;

/// Loads the TLS module (velkaro-tls.so, which holds everything that calls OpenSSL) on first use, from where the
/// program's modules live (`ProgramModule`). Thread-safe.
class TlsLoader {
public:
    /// The module; null with `err` (if given) filled in `TlsErrorDomain` when it cannot be loaded, which is logged
    /// once.
    static TlsModule* module(Error* err);
};
