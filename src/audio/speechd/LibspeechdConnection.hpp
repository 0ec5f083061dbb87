#pragma once

#include "audio/speechd/SsipConnection.hpp"

namespace umbrascope {

// A connection through libspeechd to the daemon at its default address ($SPEECHD_ADDRESS, else
// the user's runtime directory).
//
// It never starts a daemon (libspeechd's autospawn is off). A daemon that a client spawns serves
// every client of the session, the user's screen reader included, so the client can neither stop
// it when it leaves nor leave it behind knowingly; and a spawned daemon whose audio output is
// missing hangs at its idle shutdown, ignoring SIGTERM. Where no daemon runs, the built-in
// espeak-ng speaks instead. One connection at a time: libspeechd's callbacks carry no context.
std::unique_ptr<SsipConnection> openLibspeechdConnection(SsipConnection::EventHandler handler,
                                                         std::string& error);

} // namespace umbrascope
