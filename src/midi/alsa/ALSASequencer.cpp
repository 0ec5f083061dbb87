#include "midi/alsa/ALSASequencer.hpp"

#include <alsa/asoundlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "midi/MIDI1StreamTranslator.hpp"
#include "midi/alsa/ALSAEventBytes.hpp"
#include "midi/alsa/ALSASourceNaming.hpp"

namespace umbrascope::alsa {

namespace {

// The sequencer's own buffers, sized for a burst of SysEx dumps between two wake-ups.
constexpr std::size_t inputBufferBytes = 256 * 1024;
constexpr std::size_t inputPoolEvents = 2000;

void silentErrorHandler(const char*, int, const char*, int, const char*, ...) {}

// alsa-lib prints failures (no /dev/snd/seq) to stderr by default; nothing is reported here.
void silenceALSALib() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(silentErrorHandler); });
}

struct Names {
    std::string client;
    std::string port;
};

struct ClientInfoDeleter {
    void operator()(snd_seq_client_info_t* p) const { snd_seq_client_info_free(p); }
};
struct PortInfoDeleter {
    void operator()(snd_seq_port_info_t* p) const { snd_seq_port_info_free(p); }
};
using ClientInfo = std::unique_ptr<snd_seq_client_info_t, ClientInfoDeleter>;
using PortInfo = std::unique_ptr<snd_seq_port_info_t, PortInfoDeleter>;

ClientInfo newClientInfo() {
    snd_seq_client_info_t* info = nullptr;
    snd_seq_client_info_malloc(&info);
    return ClientInfo(info);
}
PortInfo newPortInfo() {
    snd_seq_port_info_t* info = nullptr;
    snd_seq_port_info_malloc(&info);
    return PortInfo(info);
}

// Notification for a System Announce event, nothing for those that do not change the source list.
std::optional<MIDINotification> notificationFor(const snd_seq_event_t& event) {
    switch (event.type) {
    case SND_SEQ_EVENT_CLIENT_START:
    case SND_SEQ_EVENT_PORT_START:
        return MIDINotification::objectAdded;
    case SND_SEQ_EVENT_CLIENT_EXIT:
    case SND_SEQ_EVENT_PORT_EXIT:
        return MIDINotification::objectRemoved;
    case SND_SEQ_EVENT_CLIENT_CHANGE:
    case SND_SEQ_EVENT_PORT_CHANGE:
        return MIDINotification::setupChanged;
    default: // (un)subscriptions: our own connects would otherwise rescan forever
        return std::nullopt;
    }
}

} // namespace

struct ALSASequencer::Impl {
    // What the receive thread needs of the port; replaced whole, read as a snapshot per wake-up.
    struct Handlers {
        NotificationHandler onNotification;
        ReceiveHandler onReceive;
        MIDIProtocol protocol = MIDIProtocol::midi2;
        std::uint64_t generation = 0;
    };

    snd_seq_t* seq = nullptr;
    int ownClient = -1;
    int announcePort = -1;
    std::atomic<int> inputPort{-1};
    int wakeFd = -1;
    int openError = 0;
    std::thread thread;
    std::atomic<bool> stopping{false};
    std::atomic<std::uint64_t> overruns{0};

    std::mutex handlersMutex;
    std::shared_ptr<const Handlers> handlers = std::make_shared<Handlers>();

    std::mutex namesMutex;
    std::unordered_map<std::uint32_t, Names> names;

    ~Impl() { close(); }

    void close() {
        if (thread.joinable()) {
            stopping = true;
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(wakeFd, &one, sizeof one);
            thread.join();
        }
        if (seq != nullptr) snd_seq_close(seq);
        seq = nullptr;
        if (wakeFd >= 0) ::close(wakeFd);
        wakeFd = -1;
    }

    std::shared_ptr<const Handlers> currentHandlers() {
        std::lock_guard lock(handlersMutex);
        return handlers;
    }

    void forgetNames(std::uint32_t reference) {
        std::lock_guard lock(namesMutex);
        names.erase(reference);
    }

    std::optional<Names> namesOf(std::uint32_t reference) {
        {
            std::lock_guard lock(namesMutex);
            if (const auto it = names.find(reference); it != names.end()) return it->second;
        }
        const auto address = portAddress(reference);
        if (!address || seq == nullptr) return std::nullopt;
        auto client = newClientInfo();
        auto port = newPortInfo();
        if (!client || !port) return std::nullopt;
        if (snd_seq_get_any_client_info(seq, address->client, client.get()) < 0)
            return std::nullopt;
        if (snd_seq_get_any_port_info(seq, address->client, address->port, port.get()) < 0)
            return std::nullopt;
        Names found{snd_seq_client_info_get_name(client.get()),
                    snd_seq_port_info_get_name(port.get())};
        std::lock_guard lock(namesMutex);
        return names.insert_or_assign(reference, std::move(found)).first->second;
    }

    void run();
};

void ALSASequencer::Impl::run() {
    struct Pending {
        std::uint32_t reference;
        std::vector<std::uint32_t> words;
    };
    EventBytes eventBytes;
    std::unordered_map<std::uint32_t, MIDI1StreamTranslator> translators;
    std::uint64_t generation = 0;
    std::vector<std::uint8_t> bytes;
    std::vector<Pending> pending;
    std::vector<MIDINotification> notifications;

    const int seqFds = snd_seq_poll_descriptors_count(seq, POLLIN);
    std::vector<pollfd> fds(static_cast<std::size_t>(std::max(seqFds, 0)) + 1);
    snd_seq_poll_descriptors(seq, fds.data(), static_cast<unsigned>(fds.size() - 1), POLLIN);
    fds.back() = pollfd{wakeFd, POLLIN, 0};

    while (!stopping) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds.back().revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto got = ::read(wakeFd, &count, sizeof count);
        }
        if (stopping) break;

        const auto current = currentHandlers();
        if (current->generation != generation) {
            // A new port: translation starts afresh, as it would on a newly opened port.
            translators.clear();
            generation = current->generation;
        }
        const int port = inputPort.load();
        for (;;) {
            snd_seq_event_t* event = nullptr;
            const int status = snd_seq_event_input(seq, &event);
            if (status == -ENOSPC) {
                overruns.fetch_add(1, std::memory_order_relaxed);
                if (std::find(notifications.begin(), notifications.end(),
                              MIDINotification::inputOverrun) == notifications.end())
                    notifications.push_back(MIDINotification::inputOverrun);
                continue;
            }
            if (status < 0 || event == nullptr) break; // -EAGAIN: drained
            if (event->source.client == SND_SEQ_CLIENT_SYSTEM &&
                event->source.port == SND_SEQ_PORT_SYSTEM_ANNOUNCE) {
                const snd_seq_addr_t changed = event->data.addr;
                if (changed.client == ownClient) continue;
                const auto id = notificationFor(*event);
                if (!id) continue;
                if (event->type == SND_SEQ_EVENT_PORT_START ||
                    event->type == SND_SEQ_EVENT_PORT_EXIT) {
                    // A port that comes or goes may be a different device at the same address.
                    const auto reference = sourceReference({changed.client, changed.port});
                    translators.erase(reference);
                    forgetNames(reference);
                }
                if (std::find(notifications.begin(), notifications.end(), *id) ==
                    notifications.end())
                    notifications.push_back(*id);
                continue;
            }
            if (port < 0 || event->dest.port != port) continue;
            bytes.clear();
            if (!eventBytes.append(*event, bytes)) continue;
            const auto reference = sourceReference({event->source.client, event->source.port});
            auto entry = std::find_if(pending.begin(), pending.end(),
                                      [&](const Pending& p) { return p.reference == reference; });
            if (entry == pending.end())
                entry = pending.insert(pending.end(), Pending{reference, {}});
            auto& translator = translators.try_emplace(reference, current->protocol).first->second;
            translator.translate(bytes, entry->words);
        }
        for (const auto& entry : pending)
            if (!entry.words.empty() && current->onReceive)
                current->onReceive(entry.reference, current->protocol, entry.words);
        pending.clear();
        for (const MIDINotification id : notifications)
            if (current->onNotification) current->onNotification(id);
        notifications.clear();
    }
}

ALSASequencer::ALSASequencer() : impl_(std::make_unique<Impl>()) {}

ALSASequencer::~ALSASequencer() = default;

bool ALSASequencer::open() {
    silenceALSALib();
    if (impl_->seq != nullptr) return true;
    snd_seq_t* seq = nullptr;
    if (const int status = snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK);
        status < 0 || seq == nullptr) {
        impl_->openError = status < 0 ? status : -ENOMEM;
        return false;
    }
    const int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        impl_->openError = -errno;
        snd_seq_close(seq);
        return false;
    }
    impl_->openError = 0;
    impl_->seq = seq;
    impl_->wakeFd = wakeFd;
    impl_->ownClient = snd_seq_client_id(seq);
    return true;
}

bool ALSASequencer::createClient(const std::string& name, NotificationHandler onNotification) {
    if (!open()) return false;
    if (impl_->thread.joinable()) return true;
    snd_seq_t* seq = impl_->seq;
    snd_seq_set_client_name(seq, name.c_str());
    snd_seq_set_input_buffer_size(seq, inputBufferBytes);
    snd_seq_set_client_pool_input(seq, inputPoolEvents);
    // A private port for the announcements, so that re-creating the input port loses none.
    impl_->announcePort = snd_seq_create_simple_port(
        seq, "UmbrascopeAnnounce", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
        SND_SEQ_PORT_TYPE_APPLICATION);
    if (impl_->announcePort >= 0)
        snd_seq_connect_from(seq, impl_->announcePort, SND_SEQ_CLIENT_SYSTEM,
                             SND_SEQ_PORT_SYSTEM_ANNOUNCE);
    {
        std::lock_guard lock(impl_->handlersMutex);
        auto handlers = std::make_shared<Impl::Handlers>(*impl_->handlers);
        handlers->onNotification = std::move(onNotification);
        impl_->handlers = std::move(handlers);
    }
    impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
    return true;
}

int ALSASequencer::openError() const {
    return impl_->openError;
}

bool ALSASequencer::isOpen() const {
    return impl_->seq != nullptr;
}

bool ALSASequencer::createInputPort(const std::string& name, MIDIProtocol protocol,
                                    ReceiveHandler onReceive) {
    if (impl_->seq == nullptr) return false;
    const int port = snd_seq_create_simple_port(
        impl_->seq, name.c_str(), SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0) return false;
    {
        std::lock_guard lock(impl_->handlersMutex);
        auto handlers = std::make_shared<Impl::Handlers>(*impl_->handlers);
        handlers->onReceive = std::move(onReceive);
        handlers->protocol = protocol;
        ++handlers->generation;
        impl_->handlers = std::move(handlers);
    }
    impl_->inputPort = port;
    return true;
}

void ALSASequencer::disposeInputPort() {
    const int port = impl_->inputPort.exchange(-1);
    if (port >= 0 && impl_->seq != nullptr) snd_seq_delete_simple_port(impl_->seq, port);
}

std::vector<std::uint32_t> ALSASequencer::sources() {
    std::vector<std::uint32_t> found;
    if (impl_->seq == nullptr) return found;
    auto client = newClientInfo();
    auto port = newPortInfo();
    if (!client || !port) return found;
    snd_seq_client_info_set_client(client.get(), -1);
    while (snd_seq_query_next_client(impl_->seq, client.get()) >= 0) {
        const int clientID = snd_seq_client_info_get_client(client.get());
        snd_seq_port_info_set_client(port.get(), clientID);
        snd_seq_port_info_set_port(port.get(), -1);
        while (snd_seq_query_next_port(impl_->seq, port.get()) >= 0) {
            const unsigned caps = snd_seq_port_info_get_capability(port.get());
            const PortTraits traits{{clientID, snd_seq_port_info_get_port(port.get())},
                                    (caps & SND_SEQ_PORT_CAP_READ) != 0,
                                    (caps & SND_SEQ_PORT_CAP_SUBS_READ) != 0,
                                    (caps & SND_SEQ_PORT_CAP_NO_EXPORT) != 0};
            if (!isSource(traits, impl_->ownClient)) continue;
            const auto reference = sourceReference(traits.address);
            found.push_back(reference);
            std::lock_guard lock(impl_->namesMutex);
            impl_->names.insert_or_assign(reference,
                                          Names{snd_seq_client_info_get_name(client.get()),
                                                snd_seq_port_info_get_name(port.get())});
        }
    }
    return found;
}

std::optional<std::string> ALSASequencer::displayName(std::uint32_t sourceReference) {
    const auto names = impl_->namesOf(sourceReference);
    if (!names) return std::nullopt;
    return sourceDisplayName(names->client, names->port);
}

std::int32_t ALSASequencer::uniqueID(std::uint32_t sourceReference) {
    const auto names = impl_->namesOf(sourceReference);
    return names ? sourceUniqueID(names->client, names->port) : 0;
}

void ALSASequencer::connect(std::uint32_t sourceReference) {
    const int port = impl_->inputPort.load();
    const auto address = portAddress(sourceReference);
    if (impl_->seq == nullptr || port < 0 || !address) return;
    // Already connected (EBUSY) is fine: every scan connects every source again.
    snd_seq_connect_from(impl_->seq, port, address->client, address->port);
}

std::uint64_t ALSASequencer::inputOverruns() const {
    return impl_->overruns.load();
}

} // namespace umbrascope::alsa
