// The socket controls on their own, over loopback: events only from Poll, sends that
// complete later, failures reported instead of signals.
#include "platform/posix/posix_socket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net_fixture.h"

namespace kb::test {
namespace {

// Records every event a control raises, and accepts requests onto `acceptInto` when set.
struct Recorder : SocketEvents {
    std::vector<int32_t> requests;
    int completes = 0;
    int arrivals = 0;
    SocketControl* acceptInto = nullptr;
    void ConnectionRequest(int32_t id) override {
        requests.push_back(id);
        if (acceptInto) acceptInto->Accept(id);
    }
    void SendComplete() override { ++completes; }
    void DataArrival(int32_t) override { ++arrivals; }
};

template <typename Done>
bool PollBoth(PosixSocket& a, Recorder& ra, PosixSocket& b, Recorder& rb, Done done) {
    const auto end = Clock::now() + std::chrono::seconds(3);
    while (Clock::now() < end) {
        a.Poll(ra);
        b.Poll(rb);
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

// A listener on a free port, a data control accepting on it, and a client connected to it.
struct Pair {
    PosixSocket listener, server, client;
    Recorder onListener, onServer, onClient;
    bool Join(const std::string& host) {
        std::string why;
        listener.SetLocalPort(0);
        if (!listener.Listen(why)) return false;
        onListener.acceptInto = &server;
        client.SetRemoteHost(host);
        client.SetRemotePort(listener.BoundPort());
        client.Connect();
        return PollBoth(listener, onListener, client, onClient, [&] {
            return server.State() == SocketState::kConnected &&
                   client.State() == SocketState::kConnected;
        });
    }
};

TEST(PosixSocket, JoinsOverIpv4Ipv6AndAHostName) {
    for (const char* host : {"127.0.0.1", "::1", "localhost"}) {
        SCOPED_TRACE(host);
        Pair p;
        ASSERT_TRUE(p.Join(host));
        EXPECT_EQ(p.onListener.requests.size(), 1u);
        EXPECT_GT(p.onListener.requests[0], 0);
        ASSERT_TRUE(p.client.SendData("0401"));
        ASSERT_TRUE(p.server.SendData("00"));
        ASSERT_TRUE(PollBoth(p.server, p.onServer, p.client, p.onClient,
                             [&] { return p.onServer.arrivals > 0 && p.onClient.arrivals > 0; }));
        EXPECT_EQ(p.server.GetData(), "0401");
        EXPECT_EQ(p.client.GetData(), "00");
        EXPECT_EQ(p.server.GetData(), "") << "read empties what was received";
    }
}

TEST(PosixSocket, SendCompletesAtALaterPollOncePerSend) {
    Pair p;
    ASSERT_TRUE(p.Join("127.0.0.1"));
    ASSERT_TRUE(p.client.SendData("04"));
    ASSERT_TRUE(p.client.SendData("1"));
    EXPECT_EQ(p.onClient.completes, 0) << "no event runs inside the send";
    p.client.Poll(p.onClient);
    EXPECT_EQ(p.onClient.completes, 2);
    p.client.Poll(p.onClient);
    EXPECT_EQ(p.onClient.completes, 2);
}

// A send made from inside a completion event is handed to the kernel at once and completes in
// the same poll: a chain of queued messages goes out without waiting for the next poll.
TEST(PosixSocket, SendFromACompletionCompletesInTheSamePoll) {
    struct Chain : Recorder {
        PosixSocket* self = nullptr;
        void SendComplete() override {
            Recorder::SendComplete();
            if (completes < 3) self->SendData("x");
        }
    };
    Pair p;
    ASSERT_TRUE(p.Join("127.0.0.1"));
    Chain chain;
    chain.self = &p.client;
    ASSERT_TRUE(p.client.SendData("x"));
    EXPECT_EQ(p.client.Readiness().events, POLLIN) << "nothing waits to go out";
    for (int poll = 1; poll <= 2; ++poll) {
        p.client.Poll(chain);
        EXPECT_EQ(chain.completes, 3) << "poll " << poll;
    }
}

TEST(PosixSocket, RequestNobodyAcceptsIsClosed) {
    PosixSocket listener;
    Recorder ignore;
    std::string why;
    listener.SetLocalPort(0);
    ASSERT_TRUE(listener.Listen(why)) << why;
    RawPeer peer;
    ASSERT_TRUE(peer.ConnectTo(listener.BoundPort()));
    const auto end = Clock::now() + std::chrono::seconds(3);
    while (ignore.requests.empty() && Clock::now() < end) listener.Poll(ignore);
    ASSERT_EQ(ignore.requests.size(), 1u);
    EXPECT_TRUE(peer.SeesClose(2000));
    EXPECT_EQ(listener.State(), SocketState::kListening) << "still listening for others";
}

TEST(PosixSocket, ListeningOnAPortInUseSaysWhy) {
    PosixSocket first, second;
    std::string why;
    first.SetLocalPort(0);
    ASSERT_TRUE(first.Listen(why));
    second.SetLocalPort(first.BoundPort());
    EXPECT_FALSE(second.Listen(why));
    EXPECT_EQ(why, "Address already in use");
    EXPECT_EQ(second.State(), SocketState::kClosed);
}

TEST(PosixSocket, SendToAVanishedPeerFailsWithoutASignal) {
    Pair p;
    ASSERT_TRUE(p.Join("127.0.0.1"));
    p.server.Close();
    ASSERT_TRUE(PollBoth(p.listener, p.onListener, p.client, p.onClient,
                         [&] { return p.client.State() == SocketState::kFailed; }));
    EXPECT_FALSE(p.client.SendData("0401"));
}

TEST(PosixSocket, ConnectingWhereNothingListensFails) {
    PosixSocket client;
    Recorder r;
    client.SetRemoteHost("127.0.0.1");
    client.SetRemotePort(UnusedPort());
    client.Connect();
    EXPECT_NE(client.State(), SocketState::kConnected) << "the attempt runs in the background";
    const auto end = Clock::now() + std::chrono::seconds(3);
    while (client.State() != SocketState::kFailed && Clock::now() < end) client.Poll(r);
    EXPECT_EQ(client.State(), SocketState::kFailed);
    EXPECT_FALSE(client.SendData("01"));
}

TEST(PosixSocket, CloseDuringTheLookUpIsHarmless) {
    PosixSocket client;
    client.SetRemoteHost("localhost");
    client.SetRemotePort(UnusedPort());
    client.Connect();
    client.Close();
    client.Close();
    EXPECT_EQ(client.State(), SocketState::kClosed);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the look-up finishes unseen
    Recorder r;
    client.Poll(r);
    EXPECT_EQ(client.State(), SocketState::kClosed);
}

TEST(PosixSocket, LocalIpIsAnAddress) {
    const std::string ip = MainLocalAddress();
    unsigned char buf[sizeof(in6_addr)];
    EXPECT_TRUE(inet_pton(AF_INET, ip.c_str(), buf) == 1 ||
                inet_pton(AF_INET6, ip.c_str(), buf) == 1)
        << ip;
}

}  // namespace
}  // namespace kb::test
