// The page and the relay hosted over TLS in one step (relay/host.sh, what `make host` runs),
// with caddy and its own authority on this machine's loopback: the page's files come as the
// page build compressed them, a page's WebSocket reaches the relay through caddy, a game over
// mqtts:// meets a game on plain MQTT, a name the certificate lacks gets its message, and a
// renewed certificate reaches the relay's TLS listener while the match goes on.
#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "battle/missiles.h"
#include "net/relay_broker.h"
#include "net/room_game.h"
#include "net/test_certificates.h"
#include "platform/room/room_code.h"
#include "text/ustr.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

// The whole answer to one request made over TLS to localhost:port, trusting only authority.
std::string HttpsRequest(int port, const std::string& authority, const std::string& request) {
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> ctx(SSL_CTX_new(TLS_client_method()),
                                                          SSL_CTX_free);
    SSL_CTX_load_verify_file(ctx.get(), authority.c_str());
    SSL_CTX_set_verify(ctx.get(), SSL_VERIFY_PEER, nullptr);
    std::unique_ptr<BIO, decltype(&BIO_free_all)> bio(BIO_new_ssl_connect(ctx.get()), BIO_free_all);
    SSL* ssl = nullptr;
    BIO_get_ssl(bio.get(), &ssl);
    SSL_set_tlsext_host_name(ssl, "localhost");
    SSL_set1_host(ssl, "localhost");
    BIO_set_conn_hostname(bio.get(), ("localhost:" + std::to_string(port)).c_str());
    if (BIO_do_connect(bio.get()) != 1 ||
        BIO_write(bio.get(), request.data(), static_cast<int>(request.size())) <= 0)
        return "";
    std::string answer;
    char buffer[4096];
    // A WebSocket's answer is its head alone: the connection then stays open.
    while (answer.find("\r\n\r\n") == std::string::npos || !answer.starts_with("HTTP/1.1 101")) {
        const int n = BIO_read(bio.get(), buffer, sizeof buffer);
        if (n <= 0) break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    return answer;
}

std::string Get(int port, const std::string& authority, const std::string& headers) {
    return HttpsRequest(
        port, authority,
        "GET / HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n" + headers + "\r\n");
}

// A header's value in an answer's head; empty when it has none.
std::string Header(const std::string& answer, const std::string& name) {
    const std::string head = answer.substr(0, answer.find("\r\n\r\n") + 2);
    const auto at = head.find("\r\n" + name + ": ");
    if (at == std::string::npos) return "";
    const auto from = at + name.size() + 4;
    return head.substr(from, head.find("\r\n", from) - from);
}

// What follows the head.
std::string Body(const std::string& answer) {
    const auto end = answer.find("\r\n\r\n");
    return end == std::string::npos ? "" : answer.substr(end + 4);
}

class Hosted {
  public:
    Hosted() {
        // A page of one file, with the two copies the page build makes of each.
        page_.WriteFile("index.html", "<!doctype html><title>Kanaburst</title>\n");
        Compress("gzip -9 -n -k");
        Compress("brotli -q 11 -k");
        // A free port may be taken by another process before caddy or the relay binds it: the
        // step then ends, and starts again on others.
        for (int attempt = 0; attempt < 3 && !Start(); ++attempt) host_->Stop();
    }
    ~Hosted() { host_->Stop(); }

    // Up: serving the page, and the relay listening over TLS. The page is asked for, since the
    // step says it is up a moment before it finds that caddy could not take its port.
    bool Ready() const {
        RawPeer probe;
        return ReadText(Log()).find("desktop games") != std::string::npos &&
               probe.ConnectTo(tlsPort_) && !Get(httpsPort_, Authority(), "").empty();
    }
    std::string Log() const { return (out_.Path() / "host.log").string(); }
    std::string Caddy() const { return (out_.Path() / "out/caddy/data/caddy").string(); }
    std::string Authority() const { return Caddy() + "/pki/authorities/local/root.crt"; }
    std::string Page(const std::string& name) const { return ReadText(page_.Path() / name); }
    int HttpsPort() const { return httpsPort_; }
    std::string Mqtts(const std::string& host) const {
        return "mqtts://" + host + ":" + std::to_string(tlsPort_);
    }
    std::string Mqtt() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }
    int MqttPort() const { return port_; }

  private:
    // Starts the step on free ports; false when it ended before it was up.
    bool Start() {
        httpsPort_ = UnusedPort();
        port_ = UnusedPort();
        tlsPort_ = UnusedPort();
        host_ = std::make_unique<Process>(
            std::vector<std::string>{
                "env", "KB_HTTP_PORT=" + std::to_string(UnusedPort()),
                "KB_HTTPS_PORT=" + std::to_string(httpsPort_),
                "KB_RELAY_PORT=" + std::to_string(port_),
                "KB_RELAY_WS_PORT=" + std::to_string(UnusedPort()),
                "KB_RELAY_TLS_PORT=" + std::to_string(tlsPort_),
                std::string("KB_RELAY_PLUGIN=") + KB_BINARY_DIR + "/kanaburst-limits.so",
                "KB_CERT_CHECK_SECONDS=1", std::string(KB_SOURCE_DIR) + "/relay/host.sh",
                (out_.Path() / "out").string(), page_.Path().string()},
            "", Log());
        for (int i = 0; i < 600 && host_->Running(); ++i) {
            if (Ready()) return true;
            usleep(100000);
        }
        return false;
    }
    void Compress(const std::string& command) const {
        ASSERT_EQ(std::system((command + " " + (page_.Path() / "index.html").string()).c_str()), 0)
            << command;
    }
    TempDir out_, page_;
    int httpsPort_ = 0, port_ = 0, tlsPort_ = 0;
    std::unique_ptr<Process> host_;
};

bool HaveCaddy() {
    return std::system("command -v caddy >/dev/null") == 0;
}

TEST(HostedRelay, PageAndRelayOverTlsInOneStep) {
    if (!HaveCaddy()) GTEST_SKIP() << "caddy is not installed (make test installs it)";
    const Hosted hosted;
    ASSERT_TRUE(hosted.Ready()) << ReadText(hosted.Log());

    // The copy the browser takes, and the file itself for one that takes none.
    const struct {
        const char* accepts;
        const char* encoding;
        const char* file;
    } copies[] = {
        {"Accept-Encoding: br, gzip\r\n", "br", "index.html.br"},
        {"Accept-Encoding: gzip\r\n", "gzip", "index.html.gz"},
        {"", "", "index.html"},
    };
    for (const auto& c : copies) {
        const std::string answer = Get(hosted.HttpsPort(), hosted.Authority(), c.accepts);
        EXPECT_TRUE(answer.starts_with("HTTP/1.1 200")) << answer;
        EXPECT_EQ(Header(answer, "Content-Encoding"), c.encoding) << answer;
        EXPECT_EQ(Body(answer), hosted.Page(c.file)) << c.file;
    }
    // The page's relay: mosquitto's WebSocket listener, behind caddy.
    const std::string upgrade = HttpsRequest(
        hosted.HttpsPort(), hosted.Authority(),
        "GET /mqtt HTTP/1.1\r\nHost: localhost\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
        "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
        "Sec-WebSocket-Protocol: mqtt\r\n\r\n");
    EXPECT_TRUE(upgrade.starts_with("HTTP/1.1 101")) << upgrade;
    EXPECT_EQ(Header(upgrade, "Sec-Websocket-Protocol"), "mqtt") << upgrade;

    // Games: one over TLS by the certificate's name, one on plain MQTT.
    const auto trust = std::make_unique<ScopedEnv>("SSL_CERT_FILE", hosted.Authority().c_str());
    RoomGame host(hosted.Mqtts("localhost")), guest(hosted.Mqtt()),
        stranger(hosted.Mqtts("127.0.0.1"));
    const std::string code = RoomCodeIn(host.Host());
    ASSERT_TRUE(RoomOpened(host, code, hosted.MqttPort())) << ToUtf8(NetworkProblem(host.g));
    guest.Join(code);
    ASSERT_TRUE(InMatch(host, guest)) << ToUtf8(NetworkProblem(host.g));
    stranger.Host();
    EXPECT_TRUE(PollGames({&stranger.g}, [&] {
        return NetworkProblem(stranger.g) ==
               FromUtf8("Cannot trust the relay " + hosted.Mqtts("127.0.0.1") +
                        ": its certificate is for another name");
    })) << ToUtf8(NetworkProblem(stranger.g));

    // caddy renews: here a certificate from another authority takes the place of its own. A
    // game that trusts only that authority is turned away until the relay has reloaded, and
    // then opens its room; the match over the old certificate goes on.
    TestAuthority renewed;
    const ScopedEnv trustRenewed("SSL_CERT_FILE", renewed.Certificate().c_str());
    RoomGame early(hosted.Mqtts("localhost"));
    EXPECT_FALSE(RoomOpened(early, RoomCodeIn(early.Host()), hosted.MqttPort()));
    const TlsFiles files = renewed.Issue("renewed", "DNS:localhost");
    const std::string stored = hosted.Caddy() + "/certificates/local/localhost/localhost";
    fs::copy_file(files.key, stored + ".key", fs::copy_options::overwrite_existing);
    fs::copy_file(files.cert, stored + ".crt", fs::copy_options::overwrite_existing);
    bool opened = false;
    // The relay compares certificates once a second here.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!opened && std::chrono::steady_clock::now() < until) {
        RoomGame late(hosted.Mqtts("localhost"));
        opened = RoomOpened(late, RoomCodeIn(late.Host()), hosted.MqttPort());
    }
    EXPECT_TRUE(opened) << ReadText(hosted.Log());
    ASSERT_TRUE(PlayUntil(host, guest, [&] { return guest.g.s.StartCount == 0; }));
    Fire_Mis(host.g, 1, kMySide);
    EXPECT_TRUE(PlayUntil(host, guest, [&] { return guest.g.s.EnMisState[1] == kMisFlying; }));
}

}  // namespace
}  // namespace kb::test
