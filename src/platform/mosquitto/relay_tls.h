#pragma once
// TLS to a relay (mqtts://): the machine's own certificate authorities (/etc/ssl/certs, or what
// SSL_CERT_FILE and SSL_CERT_DIR name), and the relay's certificate checked against the name
// the player typed. libmosquitto would check it against the address we connect to, which is
// numeric because the name was looked up on a helper thread; so the check is OpenSSL's, made
// here, and the name is also what the relay is told it is being asked for (SNI). Reading the
// machine's authorities takes a tenth of a second, so a helper thread reads them.
#include <memory>
#include <string>

struct ssl_ctx_st;
struct ssl_st;
struct x509_store_ctx_st;

namespace kb {

class RelayTls {
  public:
    // For the relay at host (a name, or a numeric address that its certificate must list).
    explicit RelayTls(std::string host);
    ~RelayTls();
    RelayTls(const RelayTls&) = delete;
    RelayTls& operator=(const RelayTls&) = delete;

    // The context to hand to libmosquitto; null when OpenSSL could not make one.
    ssl_ctx_st* Context() const { return context_; }
    // Whether the authorities have been read into the context: connect only then.
    bool Ready();
    // Readable once they have.
    int ReadyFd() const;
    // Whether bytes already decrypted wait to be read: the socket no longer shows them.
    // Only while the connection's socket is open (the library frees the connection with it).
    bool Pending() const;
    // Whether the connection's handshake has yet to finish; the same caveat.
    bool Handshaking() const;
    // Why the relay's certificate was refused, for the player; empty when it was not.
    std::string Refusal() const;
    // Whether the relay has had our greeting and sent nothing back yet.
    bool Unanswered() const;
    // The socket's error (errno) when a handshake step first failed on it; 0 for none.
    int SocketError() const { return socketError_; }

  private:
    struct Authorities;
    static int Verify(int ok, x509_store_ctx_st* store);
    static void OnState(const ssl_st* ssl, int where, int ret);

    std::string host_;
    ssl_ctx_st* context_ = nullptr;
    std::shared_ptr<Authorities> authorities_;  // shared with the thread that reads them
    bool ready_ = false;
    const ssl_st* connection_ = nullptr;  // the one connection made with the context
    long refused_ = 0;                    // the first certificate error seen (0: none)
    int socketError_ = 0;
};

}  // namespace kb
