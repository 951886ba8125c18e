// The relay's limits as a mosquitto plugin: `plugin` names this library in the broker's
// configuration, and each `plugin_opt_NAME VALUE` sets one of LimitSettings. A connection over
// the relay's limit or its address's is refused as not authorised; a message or a subscription over
// its client's allowance is dropped (the client stays connected, and its game is not one a player
// could be playing).
#include <mosquitto.h>
#include <mosquitto_broker.h>
#include <mosquitto_plugin.h>

#include <ctime>
#include <memory>

#include "limits/limits.h"

namespace {

using kb::relay::Limits;
using kb::relay::LimitSettings;

mosquitto_plugin_id_t* g_id = nullptr;
std::unique_ptr<Limits> g_limits;

int64_t NowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

int OnAuth(int, void* data, void*) {
    auto* ed = static_cast<mosquitto_evt_basic_auth*>(data);
    // Pages reach the broker through the web server, all from its one address.
    const bool byAddress = mosquitto_client_protocol(ed->client) != mp_websockets;
    const char* known = mosquitto_client_address(ed->client);
    const std::string address = byAddress && known ? known : "";
    if (g_limits->Admit(ed->client, address)) return MOSQ_ERR_SUCCESS;
    mosquitto_log_printf(MOSQ_LOG_NOTICE,
                         "kanaburst-limits: refused a connection from %s: %d connected in all, "
                         "%d from there",
                         known ? known : "?", g_limits->Connected(), g_limits->From(address));
    return MOSQ_ERR_AUTH;
}

int OnDisconnect(int, void* data, void*) {
    g_limits->Leave(static_cast<mosquitto_evt_disconnect*>(data)->client);
    return MOSQ_ERR_SUCCESS;
}

int OnMessage(int, void* data, void*) {
    auto* ed = static_cast<mosquitto_evt_message*>(data);
    if (g_limits->Message(ed->client, NowNs())) return MOSQ_ERR_SUCCESS;
    if (g_limits->FirstRefusal(ed->client))
        mosquitto_log_printf(MOSQ_LOG_NOTICE,
                             "kanaburst-limits: %s from %s sends too fast; its messages over the "
                             "limit are dropped",
                             mosquitto_client_id(ed->client), mosquitto_client_address(ed->client));
    return MOSQ_ERR_ACL_DENIED;
}

int OnAccess(int, void* data, void*) {
    auto* ed = static_cast<mosquitto_evt_acl_check*>(data);
    if (ed->access == MOSQ_ACL_SUBSCRIBE && !g_limits->Subscription(ed->client, NowNs()))
        return MOSQ_ERR_ACL_DENIED;
    // The access rules decide the rest.
    return MOSQ_ERR_PLUGIN_DEFER;
}

struct Event {
    int event;
    MOSQ_FUNC_generic_callback callback;
};
constexpr Event kEvents[] = {
    {MOSQ_EVT_BASIC_AUTH, OnAuth},
    {MOSQ_EVT_DISCONNECT, OnDisconnect},
    {MOSQ_EVT_MESSAGE, OnMessage},
    {MOSQ_EVT_ACL_CHECK, OnAccess},
};

}  // namespace

extern "C" {

int mosquitto_plugin_version(int, const int*) {
    return 5;
}

int mosquitto_plugin_init(mosquitto_plugin_id_t* id, void**, mosquitto_opt* options, int count) {
    LimitSettings settings;
    for (int i = 0; i < count; ++i) {
        const std::string why = kb::relay::ReadSetting(settings, options[i].key, options[i].value);
        if (!why.empty()) {
            mosquitto_log_printf(MOSQ_LOG_ERR, "kanaburst-limits: %s", why.c_str());
            return MOSQ_ERR_INVAL;
        }
    }
    g_id = id;
    g_limits = std::make_unique<Limits>(settings);
    for (const Event& e : kEvents)
        if (mosquitto_callback_register(id, e.event, e.callback, nullptr, nullptr) !=
            MOSQ_ERR_SUCCESS)
            return MOSQ_ERR_UNKNOWN;
    mosquitto_log_printf(MOSQ_LOG_INFO,
                         "kanaburst-limits: %d connections in all, %d an address, %g messages a "
                         "second (%g at once), %g subscriptions a minute (%g at once)",
                         settings.connections, settings.connectionsPerAddress,
                         settings.messagesPerSecond, settings.messageBurst,
                         settings.subscriptionsPerMinute, settings.subscriptionBurst);
    return MOSQ_ERR_SUCCESS;
}

int mosquitto_plugin_cleanup(void*, mosquitto_opt*, int) {
    for (const Event& e : kEvents)
        mosquitto_callback_unregister(g_id, e.event, e.callback, nullptr);
    g_limits.reset();
    return MOSQ_ERR_SUCCESS;
}

}  // extern "C"
