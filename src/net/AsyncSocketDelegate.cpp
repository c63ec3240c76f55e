#include "net/AsyncSocketDelegate.h"

#include "net/AsyncSocket.h"

AsyncSocketDelegate::~AsyncSocketDelegate() {
    // The sockets outlive their delegate here: make them forget it rather than call into a dead object.
    for (AsyncSocket* sock : std::vector<AsyncSocket*>(sockets_)) sock->setDelegate(nullptr);
}

bool AsyncSocketDelegate::respondsTo(Message message) const {
    return !unimplemented_.test(static_cast<std::size_t>(message));
}

// The base versions stand for "not implemented": each records that, and the socket, checking after the call,
// behaves as if the message had not been sent.

void AsyncSocketDelegate::onSocketDidAcceptNewSocket(AsyncSocket*, const std::shared_ptr<AsyncSocket>&) {
    markUnimplemented(Message::DidAcceptNewSocket);
}

RunLoop* AsyncSocketDelegate::onSocketWantsRunLoopForNewSocket(AsyncSocket*, AsyncSocket*) {
    markUnimplemented(Message::WantsRunLoopForNewSocket);
    return nullptr;
}

bool AsyncSocketDelegate::onSocketWillConnect(AsyncSocket*) {
    markUnimplemented(Message::WillConnect);
    return true;
}

void AsyncSocketDelegate::onSocketDidConnectToHostPort(AsyncSocket*, const std::string&, std::uint16_t) {
    markUnimplemented(Message::DidConnectToHost);
}

void AsyncSocketDelegate::onSocketDidReadDataWithTag(AsyncSocket*, std::string_view, std::int32_t) {
    markUnimplemented(Message::DidReadData);
}

void AsyncSocketDelegate::onSocketDidWriteDataWithTag(AsyncSocket*, std::int32_t) {
    markUnimplemented(Message::DidWriteData);
}

bool AsyncSocketDelegate::onReadStreamEnded(AsyncSocket*) {
    markUnimplemented(Message::ReadStreamEnded);
    return true;
}

void AsyncSocketDelegate::onSocketWillDisconnectWithError(AsyncSocket*, const std::optional<Error>&) {
    markUnimplemented(Message::WillDisconnectWithError);
}

void AsyncSocketDelegate::onSocketDidDisconnect(AsyncSocket*) { markUnimplemented(Message::DidDisconnect); }

void AsyncSocketDelegate::onSocketDidSecure(AsyncSocket*) { markUnimplemented(Message::DidSecure); }
