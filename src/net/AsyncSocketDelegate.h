#pragma once
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

class AsyncSocket;
class RunLoop;

/// What an `AsyncSocket` tells its owner. Every message is optional: the socket asks `respondsTo` before sending
/// one and skips it when the answer is no. A socket never owns its delegate; when a delegate is destroyed, every
/// socket that still names it forgets it (so a late event never reaches a dead object).
///
/// A subclass overrides only the messages it wants. `respondsTo` then needs no override: the base versions of the
/// messages mark themselves as not implemented the first time they run, and the socket, which checks again after
/// each call, treats such a message as not implemented (e.g. `onReadStreamEnded` closes the socket). A subclass may
/// still override `respondsTo` to answer explicitly, e.g. to switch a message off at run time.
///
/// Every message may re-enter the socket (queue requests, disconnect) and may drop the last reference to it: the
/// socket keeps itself alive until the event's handling ends.
class AsyncSocketDelegate {
public:
    enum class Message {
        DidAcceptNewSocket,
        WantsRunLoopForNewSocket,
        WillConnect,
        DidConnectToHost,
        DidReadData,
        DidWriteData,
        ReadStreamEnded,
        WillDisconnectWithError,
        DidDisconnect,
        DidSecure,
        Count_
    };

    AsyncSocketDelegate() = default;
    AsyncSocketDelegate(const AsyncSocketDelegate&) {}
    AsyncSocketDelegate& operator=(const AsyncSocketDelegate&) { return *this; }
    virtual ~AsyncSocketDelegate();

    /// Whether this delegate implements `message` (see the class comment for the default).
    virtual bool respondsTo(Message message) const;

    /// A listening socket accepted a connection: `newSocket` has this delegate and dies when the event ends unless
    /// the receiver keeps the pointer (and usually becomes its delegate with `setDelegate`).
    virtual void onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket);
    /// The loop the accepted socket should run on; nullptr means the current loop.
    virtual RunLoop* onSocketWantsRunLoopForNewSocket(AsyncSocket* sock, AsyncSocket* newSocket);
    /// Just before a connection is opened; false cancels it (connect: error code 1; accepted socket: closed quietly).
    virtual bool onSocketWillConnect(AsyncSocket* sock);
    /// Both directions of the connection are open.
    virtual void onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string& host, std::uint16_t port);
    /// A chunk of received bytes, with the tag of the current read request. `data` is valid only during the call.
    virtual void onSocketDidReadDataWithTag(AsyncSocket* sock, std::string_view data, std::int32_t tag);
    /// Every byte of the write request with `tag` was handed to the system.
    virtual void onSocketDidWriteDataWithTag(AsyncSocket* sock, std::int32_t tag);
    /// The peer finished sending. true lets the socket close, false keeps it open (it can still write).
    virtual bool onReadStreamEnded(AsyncSocket* sock);
    /// The socket is closing because of an error, a time-out or the peer's end (`err` empty for a clean end). The
    /// socket can still be queried here.
    virtual void onSocketWillDisconnectWithError(AsyncSocket* sock, const std::optional<Error>& err);
    /// A started socket closed; sent on the loop turn after the close, and never once the socket is destroyed.
    virtual void onSocketDidDisconnect(AsyncSocket* sock);
    /// The TLS handshake that `startTls` began completed; reads and writes are encrypted from here on.
    virtual void onSocketDidSecure(AsyncSocket* sock);

private:
    friend class AsyncSocket;
    void markUnimplemented(Message m) const { unimplemented_.set(static_cast<std::size_t>(m)); }

    mutable std::bitset<static_cast<std::size_t>(Message::Count_)> unimplemented_;
    std::vector<AsyncSocket*> sockets_;  // sockets whose delegate this is, told to forget it on destruction
};
