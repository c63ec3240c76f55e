#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

/// Cuts the bytes of a control connection into command lines, whatever pieces they arrive in: two commands in
/// one segment give two lines, a command split across segments gives one. A line ends at CR LF or at a bare LF;
/// only that end is dropped.
/// A line longer than `maxLineLength` is not kept: its bytes are dropped up to its LF and `onOverflow` is told
/// once, so a client sending endless bytes cannot grow memory.
class FtpLineSplitter {
public:
    /// `onLine` gets each line without its end; `onOverflow` is called once per over-long line.
    FtpLineSplitter(std::size_t maxLineLength, std::function<void(std::string_view)> onLine,
                    std::function<void()> onOverflow);

    /// Feeds received bytes. Callbacks run from inside this call, in arrival order; a callback may call `stop`,
    /// after which the rest of the bytes is ignored.
    void feed(std::string_view bytes);
    /// Ignores everything from now on (the connection is ending).
    void stop() { stopped_ = true; }
    /// Keeps the bytes fed from now on without cutting them into lines, until `release`; a callback may call it.
    void hold() { held_ = true; }
    /// Cuts and hands on what was kept, and goes on as before.
    void release();
    bool isHeld() const { return held_; }
    /// The bytes kept while held.
    std::size_t heldBytes() const { return kept_.size() - keptAt_; }
    /// Forgets every byte not yet handed on as a line, including the rest of the bytes being cut now; a callback
    /// may call it (the connection turns to TLS: what the client sent in clear after that line must not count).
    void discardPending();

private:
    std::size_t maxLineLength_;
    std::function<void(std::string_view)> onLine_;
    std::function<void()> onOverflow_;
    std::string pending_;
    /// Hands on the lines of `bytes` until held or stopped; `bytes` keeps what was not cut.
    void cut(std::string_view& bytes);

    std::string kept_;         // bytes fed while held
    std::size_t keptAt_ = 0;   // of them, those before this were cut already
    bool held_ = false;
    bool discarding_ = false;
    bool stopped_ = false;
    unsigned discards_ = 0;  // changes on every discardPending, so a cut under way stops
};
