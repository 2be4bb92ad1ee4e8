#include "handover/ProfileOffer.h"

#include "handover/OfferAddress.h"

#include <algorithm>
#include "handover/OfferToken.h"

#include <httplib.h>
#include <openssl/crypto.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <csignal>
#include <fcntl.h>
#include <pthread.h>

namespace veltrona {

namespace {

// How often the watcher looks at the clock; also how late an expired offer's socket may close.
constexpr std::chrono::milliseconds kWatchInterval{100};

bool useIdentity(SSL_CTX& context, const TlsIdentity& identity)
{
    if (SSL_CTX_use_certificate(&context, identity.certificate.get()) != 1
        || SSL_CTX_use_PrivateKey(&context, identity.key.get()) != 1 || SSL_CTX_check_private_key(&context) != 1)
        return false;
    for (const std::shared_ptr<X509>& link : identity.chain) {
        // The context takes the certificate it is given.
        X509* copy = X509_dup(link.get());
        if (!copy || SSL_CTX_add_extra_chain_cert(&context, copy) != 1) {
            X509_free(copy);
            return false;
        }
    }
    return SSL_CTX_set_min_proto_version(&context, TLS1_2_VERSION) == 1;
}

bool samePath(const std::string& asked, const std::string& offered)
{
    return asked.size() == offered.size() && CRYPTO_memcmp(asked.data(), offered.data(), asked.size()) == 0;
}

} // namespace

struct ProfileOffer::Server {
    explicit Server(const TlsIdentity& identity)
        : https([&identity](SSL_CTX& context) { return useIdentity(context, identity); })
    {
    }
    httplib::SSLServer https;
};

ProfileOffer::ProfileOffer() = default;

ProfileOffer::~ProfileOffer()
{
    withdraw();
}

Status ProfileOffer::start(OfferSettings settings, const TlsIdentity& identity)
{
    if (state_ != OfferState::NotStarted)
        return Status::failure(1, "This offer was already made.");
    const std::optional<std::string> token = newOfferToken();
    if (!token)
        return Status::failure(1, "No random token could be made for the address.");
    settings_ = std::move(settings);
    path_ = "/" + *token;
    server_ = std::make_unique<Server>(identity);
    httplib::SSLServer& https = server_->https;
    if (!https.is_valid())
        return Status::failure(1, "The HTTPS server cannot use the certificate and key.");

    // The window runs root commands while the offer is open; none of them may inherit its socket.
    https.set_socket_options([](socket_t socket) {
        httplib::default_socket_options(socket);
        ::fcntl(socket, F_SETFD, FD_CLOEXEC);
    });
    https.set_keep_alive_max_count(1);
    https.set_read_timeout(std::chrono::seconds(2));
    https.set_write_timeout(std::chrono::seconds(5));
    https.new_task_queue = [] { return new httplib::ThreadPool(2); };
    https.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        bool serve = false;
        {
            const std::lock_guard lock(mutex_);
            serve = requested_ == OfferState::Open && !claimed_ && settings_.now() < expiry_
                    && request.method == "GET" && samePath(request.path, path_);
            // Claimed at once, so that nobody gets a second copy; downloaded once all of it went out.
            claimed_ = claimed_ || serve;
        }
        if (serve) {
            response.status = 200;
            const std::string& body = settings_.body;
            response.set_content_provider(
                body.size(), kProfileMimeType,
                [&body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                    return sink.write(body.data() + offset, std::min(length, body.size() - offset));
                },
                [this](bool sent) {
                    {
                        const std::lock_guard lock(mutex_);
                        requested_ = sent ? OfferState::Downloaded : OfferState::BrokenOff;
                    }
                    changed_.notify_all();
                });
        } else {
            response.status = 404;
        }
        return httplib::Server::HandlerResponse::Handled;
    });

    const int port = https.bind_to_any_port(settings_.bindAddress);
    if (port <= 0 || port > 65535) {
        server_.reset();
        return Status::failure(1, "Cannot listen on " + settings_.bindAddress + ".");
    }
    port_ = static_cast<std::uint16_t>(port);
    url_ = offerUrl(settings_.shownAddress.empty() ? settings_.bindAddress : settings_.shownAddress, port_, *token);
    expiry_ = settings_.now() + settings_.lifetime;
    state_ = OfferState::Open;

    listener_ = std::thread([this, &https] {
        // A phone that hangs up mid-download must not end the program with SIGPIPE; the pool's
        // threads, started from this one, inherit the mask.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        https.listen_after_bind();
        listenerEnded_ = true;
    });
    // stop() is only heard by a server that has begun listening.
    while (!https.is_running() && !listenerEnded_)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!https.is_running()) {
        listener_.join();
        server_.reset();
        state_ = OfferState::NotStarted;
        return Status::failure(1, "Cannot listen on " + settings_.bindAddress + ".");
    }
    watcher_ = std::thread([this] { watch(); });
    return Status::success();
}

void ProfileOffer::watch()
{
    OfferState reason = OfferState::Open;
    {
        std::unique_lock lock(mutex_);
        while (reason == OfferState::Open) {
            if (requested_ != OfferState::Open)
                reason = requested_;
            else if (settings_.now() >= expiry_)
                reason = requested_ = OfferState::Expired;
            else
                changed_.wait_for(lock, kWatchInterval);
        }
    }
    end(reason);
}

void ProfileOffer::end(OfferState reason)
{
    server_->https.stop();
    if (listener_.joinable())
        listener_.join();
    {
        const std::lock_guard lock(mutex_);
        state_ = reason;
    }
    changed_.notify_all();
}

OfferState ProfileOffer::state() const
{
    const std::lock_guard lock(mutex_);
    return state_;
}

OfferState ProfileOffer::waitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return state_ != OfferState::Open; });
    return state_;
}

void ProfileOffer::withdraw()
{
    {
        const std::lock_guard lock(mutex_);
        if (requested_ == OfferState::Open && state_ == OfferState::Open)
            requested_ = OfferState::Withdrawn;
    }
    changed_.notify_all();
    if (watcher_.joinable())
        watcher_.join();
}

} // namespace veltrona
