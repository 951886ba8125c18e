#include "platform/mosquitto/relay_tls.h"

#include <arpa/inet.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace kb {

namespace {

bool IsNumeric(const std::string& host) {
    unsigned char address[16];
    return inet_pton(AF_INET, host.c_str(), address) == 1 ||
           inet_pton(AF_INET6, host.c_str(), address) == 1;
}

// Where the system keeps them, or what SSL_CERT_FILE or SSL_CERT_DIR name instead (read on the
// game's thread: the environment is not the helper's to read).
std::string Where(const char* variable, const char* otherwise) {
    const char* given = std::getenv(variable);
    return given ? given : otherwise;
}

}  // namespace

struct RelayTls::Authorities {
    Authorities() : ready(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Authorities() {
        X509_STORE_free(store);
        if (ready >= 0) close(ready);
    }
    Authorities(const Authorities&) = delete;
    Authorities& operator=(const Authorities&) = delete;

    std::mutex mutex;
    X509_STORE* store = nullptr;  // once read, until the context takes it
    bool read = false;
    const int ready;
};

RelayTls::RelayTls(std::string host)
    : host_(std::move(host)), authorities_(std::make_shared<Authorities>()) {
    std::thread([shared = authorities_,
                 file = Where(X509_get_default_cert_file_env(), X509_get_default_cert_file()),
                 dir = Where(X509_get_default_cert_dir_env(), X509_get_default_cert_dir())] {
        // A file or folder that is not there leaves no authority to trust: every relay's
        // certificate is then refused, and says so.
        X509_STORE* store = X509_STORE_new();
        if (store) {
            X509_STORE_load_file(store, file.c_str());
            X509_STORE_load_path(store, dir.c_str());
        }
        std::lock_guard lock(shared->mutex);
        shared->store = store;
        shared->read = true;
        if (shared->ready >= 0) eventfd_write(shared->ready, 1);
    }).detach();
    context_ = SSL_CTX_new(TLS_client_method());
    if (!context_) return;
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    SSL_CTX_set_verify(context_, SSL_VERIFY_PEER, Verify);
    SSL_CTX_set_info_callback(context_, OnState);
    SSL_CTX_set_app_data(context_, this);
    X509_VERIFY_PARAM* param = SSL_CTX_get0_param(context_);
    if (IsNumeric(host_)) {
        X509_VERIFY_PARAM_set1_ip_asc(param, host_.c_str());
    } else {
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(param, host_.c_str(), 0);
    }
}

RelayTls::~RelayTls() {
    SSL_CTX_free(context_);
}

bool RelayTls::Ready() {
    if (ready_ || !context_) return ready_;
    std::lock_guard lock(authorities_->mutex);
    if (!authorities_->read) return false;
    if (authorities_->store) SSL_CTX_set_cert_store(context_, authorities_->store);
    authorities_->store = nullptr;  // the context's now
    ready_ = true;
    return true;
}

int RelayTls::ReadyFd() const {
    return authorities_->ready;
}

int RelayTls::Verify(int ok, X509_STORE_CTX* store) {
    auto* ssl =
        static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* self = static_cast<RelayTls*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    if (!ok && self->refused_ == 0) self->refused_ = X509_STORE_CTX_get_error(store);
    return ok;
}

void RelayTls::OnState(const SSL* ssl, int where, int ret) {
    auto* self = static_cast<RelayTls*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    // A step that failed on the socket leaves the system's reason in errno, and nothing after
    // it in libmosquitto keeps it; the first is the reason, later ones follow from it.
    if ((where & SSL_CB_EXIT) && ret < 0 && self->socketError_ == 0 && errno != EAGAIN &&
        errno != EWOULDBLOCK && errno != EINPROGRESS)
        self->socketError_ = errno;
    if (!(where & SSL_CB_HANDSHAKE_START)) return;
    self->connection_ = ssl;
    // libmosquitto names the numeric address here; before the first message leaves, the name
    // takes its place (an address is no name to send, and a name is what a proxy routes by).
    if (!IsNumeric(self->host_))
        SSL_set_tlsext_host_name(const_cast<SSL*>(ssl), self->host_.c_str());
}

bool RelayTls::Pending() const {
    return connection_ && SSL_pending(connection_) > 0;
}

bool RelayTls::Unanswered() const {
    return connection_ && BIO_number_written(SSL_get_wbio(connection_)) > 0 &&
           BIO_number_read(SSL_get_rbio(connection_)) == 0;
}

bool RelayTls::Handshaking() const {
    return !connection_ || !SSL_is_init_finished(connection_);
}

std::string RelayTls::Refusal() const {
    switch (refused_) {
        case X509_V_OK:
            return "";
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return "its certificate is for another name";
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return "its certificate has expired";
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return "its certificate is not valid yet";
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            return "its certificate is not signed by an authority this machine trusts";
        default:
            return std::string("its certificate is refused (") +
                   X509_verify_cert_error_string(refused_) + ")";
    }
}

}  // namespace kb
