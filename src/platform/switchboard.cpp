#include "platform/switchboard.h"

namespace kb {

class Switchboard::SwitchListener : public ListenerControl {
  public:
    explicit SwitchListener(Switchboard& board) : board_(board) {}

    void Add(std::unique_ptr<SocketControl> listener) {
        if (!listener) return;  // a way others cannot reach us by
        listener->SetLocalPort(port_);
        listeners_.push_back(std::move(listener));
    }

    void SetLocalPort(int port) override {
        port_ = port;
        for (auto& l : listeners_) l->SetLocalPort(port);
    }
    // Listens on every transport; it listens when one of them does. The reasons of those that
    // cannot are joined in why.
    bool Listen(std::string& why) override {
        bool any = false;
        why.clear();
        for (auto& l : listeners_) {
            std::string reason;
            if (l->Listen(reason)) {
                any = true;
            } else if (!reason.empty()) {
                why += (why.empty() ? "" : "; ") + reason;
            }
        }
        return any;
    }
    void Close() override {
        for (auto& l : listeners_) l->Close();
    }
    SocketState State() const override {
        for (const auto& l : listeners_)
            if (l->State() == SocketState::kListening) return SocketState::kListening;
        return SocketState::kClosed;
    }
    std::string LocalIP() override {
        for (auto& l : listeners_)
            if (std::string ip = l->LocalIP(); !ip.empty()) return ip;
        return {};
    }
    std::string RoomCode() const override {
        for (const auto& l : listeners_)
            if (std::string code = l->RoomCode(); !code.empty()) return code;
        return {};
    }
    std::string Problem() const override {
        std::string problems;
        for (const auto& l : listeners_)
            if (std::string p = l->Problem(); !p.empty())
                problems += (problems.empty() ? "" : "; ") + p;
        return problems;
    }
    void Poll(SocketEvents& events) override {
        for (size_t i = 0; i < listeners_.size(); ++i) {
            Requests requests(board_, i, events);
            listeners_[i]->Poll(requests);
        }
    }
    void WakeWhenDue(const Waker& wake) override {
        for (auto& l : listeners_) l->WakeWhenDue(wake);
    }

  private:
    // A transport's connection requests, passed on under a token of the switchboard's.
    class Requests : public SocketEvents {
      public:
        Requests(Switchboard& board, size_t transport, SocketEvents& to)
            : board_(board), transport_(transport), to_(to) {}
        void ConnectionRequest(int32_t requestID) override {
            board_.request_ = Request{transport_, requestID, ++board_.lastToken_};
            to_.ConnectionRequest(board_.lastToken_);
            board_.request_.reset();
        }
        void SendComplete() override {}
        void DataArrival(int32_t) override {}
        void Notice(const std::string& text) override { to_.Notice(text); }

      private:
        Switchboard& board_;
        size_t transport_;
        SocketEvents& to_;
    };

    Switchboard& board_;
    std::vector<std::unique_ptr<SocketControl>> listeners_;
    int port_ = 0;
};

class Switchboard::SwitchConnection : public SocketControl {
  public:
    explicit SwitchConnection(Switchboard& board) : board_(board) {}

    void Add(std::unique_ptr<SocketControl> connection) {
        connections_.push_back(std::move(connection));
    }

    void SetLocalPort(int port) override { localPort_ = port; }
    bool Listen(std::string&) override { return false; }
    void Accept(int32_t requestID) override {
        const auto& r = board_.request_;
        if (!r || r->token != requestID) return;
        Use(r->transport);
        active_->SetLocalPort(localPort_);
        active_->Accept(r->id);
    }
    void SetRemoteHost(const std::string& host) override { remoteHost_ = host; }
    void SetRemotePort(int port) override { remotePort_ = port; }
    void Connect() override {
        for (size_t i = 0; i < board_.transports_.size(); ++i) {
            if (!board_.transports_[i]->Reaches(remoteHost_)) continue;
            Use(i);
            active_->SetRemoteHost(remoteHost_);
            active_->SetRemotePort(remotePort_);
            active_->Connect();
            return;
        }
        Close();
        unreachable_ = true;
    }
    bool SendData(const std::string& data) override { return active_ && active_->SendData(data); }
    std::string GetData() override { return active_ ? active_->GetData() : std::string(); }
    void Close() override {
        if (active_) active_->Close();
        unreachable_ = false;
    }
    SocketState State() const override {
        if (unreachable_) return SocketState::kFailed;
        return active_ ? active_->State() : SocketState::kClosed;
    }
    std::string LocalIP() override {
        for (auto& c : connections_)
            if (std::string ip = c->LocalIP(); !ip.empty()) return ip;
        return {};
    }
    std::string Problem() const override { return active_ ? active_->Problem() : std::string(); }
    void Poll(SocketEvents& events) override {
        if (active_) active_->Poll(events);
    }
    void WakeWhenDue(const Waker& wake) override {
        if (active_) active_->WakeWhenDue(wake);
    }

  private:
    // Makes transport i's control the one in use; the one used before is closed.
    void Use(size_t i) {
        SocketControl* next = connections_[i].get();
        if (active_ && active_ != next) {
            active_->Close();
            active_->WakeWhenDue({});
        }
        active_ = next;
        unreachable_ = false;
    }

    Switchboard& board_;
    std::vector<std::unique_ptr<SocketControl>> connections_;
    SocketControl* active_ = nullptr;
    bool unreachable_ = false;  // no transport reaches the address asked for
    std::string remoteHost_;
    int localPort_ = 0, remotePort_ = 0;
};

Switchboard::Switchboard()
    : listener_(std::make_unique<SwitchListener>(*this)),
      connection_(std::make_unique<SwitchConnection>(*this)) {}

Switchboard::~Switchboard() {
    // The controls go before the transports that made them.
    connection_.reset();
    listener_.reset();
}

void Switchboard::Add(std::unique_ptr<Transport> transport) {
    listener_->Add(transport->NewListener());
    connection_->Add(transport->NewConnection());
    transports_.push_back(std::move(transport));
}

SocketControl& Switchboard::Listener() {
    return *listener_;
}

SocketControl& Switchboard::Connection() {
    return *connection_;
}

}  // namespace kb
