// The lobby: what a listing may show, which rooms a look at it finds and in what order, a quick
// match that joins the longest-waiting room that is really there, and a stranger's listings
// that lead nobody astray. Rooms on a real broker, as in the room tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/room_game.h"
#include "platform/room/room_lobby.h"
#include "run_command.h"

namespace kb::test {
namespace {

ListingSource Listed(const std::string& name) {
    return [name] { return RoomListing{name, "kana, 120 words"}; };
}

// One look at the lobby while the games go on answering it (and `meanwhile` runs).
std::vector<LobbyEntry> Look(
    const Broker& broker, std::initializer_list<Game*> games,
    const std::function<void()>& meanwhile = [] {}) {
    MosquittoLinkMaker maker(broker.Url());
    LobbyQuery lobby(maker.NewLink(""), SteadyMilliseconds);
    Await(
        games,
        [&] {
            meanwhile();
            lobby.Pump();
            return lobby.Done();
        },
        5000);
    EXPECT_EQ(lobby.Problem(), "");
    return lobby.Rooms();
}

TEST(Lobby, NamesAreCleanedToPrintableTextOfAFewCharacters) {
    const std::pair<std::string, std::string> rows[] = {
        {"Taro", "Taro"},
        {"  Taro \t  the\u3000 host  ", "Taro the host"},
        {"\x1b[31mred\x07", "[31mred"},
        {"evil\u202Egnp.exe", "evilgnp.exe"},
        {"zero\u200Bwidth\uFEFF", "zerowidth"},
        {"bad\xff\xfe utf8\xc3", "bad utf8"},
        {"たろうたろうたろうたろうたろうたろうたろうたろうたろう",
         "たろうたろうたろうたろうたろうたろうたろうたろう"},
        {"😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀", "😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀"},
        {"a😀b", "a😀b"},
        {"abcdefghijklmnopqrstuvw xyz", "abcdefghijklmnopqrstuvw"},
        {"\n\r\t ", ""},
    };
    for (const auto& [given, shown] : rows) EXPECT_EQ(ListableText(given), shown) << given;
}

TEST(Lobby, ListingsAreTakenOnlyAsWritten) {
    const struct {
        const char* topic;
        std::string payload;
        bool taken;
        int waited;
        const char* name;
    } rows[] = {
        {"lobby/123456789012", "kb1\n42\nTaro\nkana", true, 42, "Taro"},
        {"lobby/123456789012", "kb1\n0\n\nkana", true, 0, "?"},
        {"lobby/123456789012", "kb1\n999999999\nTaro\nkana", true, 24 * 3600, "Taro"},
        {"lobby/123456789012", "kb2\n42\nTaro\nkana", false, 0, ""},
        {"lobby/123456789012", "kb1\n4x\nTaro\nkana", false, 0, ""},
        {"lobby/123456789012", "kb1\n\nTaro\nkana", false, 0, ""},
        {"lobby/123456789012", "kb1\n1234567890\nTaro\nkana", false, 0, ""},
        {"lobby/123456789012", "kb1\n42\nTaro\nkana\nmore", false, 0, ""},
        {"lobby/123456789012", "kb1\n42\nTaro", false, 0, ""},
        {"lobby/123456789012", "kb1\n42\n" + std::string(600, 'x') + "\nkana", false, 0, ""},
        // The longest listing read is 512 bytes, names cut to 24 characters.
        {"lobby/123456789012", "kb1\n42\nTaro\nkana" + std::string(512 - 16, ' '), true, 42,
         "Taro"},
        {"lobby/123456789012", "kb1\n42\nTaro\nkana" + std::string(513 - 16, ' '), false, 0, ""},
        {"lobby/12345678901", "kb1\n42\nTaro\nkana", false, 0, ""},
        {"lobby/1234567890123", "kb1\n42\nTaro\nkana", false, 0, ""},
        {"lobby/12345678901x", "kb1\n42\nTaro\nkana", false, 0, ""},
        {"lobby/123456789012/x", "kb1\n42\nTaro\nkana", false, 0, ""},
        {"kb/123456789012", "kb1\n42\nTaro\nkana", false, 0, ""},
        {"lobby/ask", "kb1\n42\nTaro\nkana", false, 0, ""},
    };
    for (const auto& row : rows) {
        const auto entry = ReadListing(row.topic, row.payload);
        ASSERT_EQ(entry.has_value(), row.taken) << row.topic << " " << row.payload;
        if (!entry) continue;
        EXPECT_EQ(entry->code, "123456789012");
        EXPECT_EQ(entry->waited, row.waited);
        EXPECT_EQ(entry->name, row.name);
        EXPECT_EQ(entry->words, "kana");
    }
    const auto written =
        ReadListing("lobby/000000000007", ListingPayload(65, {"\tHanako ", "own\x01 list"}));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->waited, 65);
    EXPECT_EQ(written->name, "Hanako");
    EXPECT_EQ(written->words, "own list");
    EXPECT_EQ(WaitedText(0), "0:00");
    EXPECT_EQ(WaitedText(65), "1:05");
    EXPECT_EQ(WaitedText(3600 + 62), "1:01:02");
}

// Listed rooms answer a look at the lobby, the longest-waiting first, under their own codes;
// a private room and a room that has its guest do not.
TEST(Lobby, ListedRoomsLongestWaitingFirstAndNoOthers) {
    Broker broker;
    RoomGame first(broker.Url(), Listed("Alpha")), second(broker.Url(), Listed("Beta")),
        hidden(broker.Url()), taken(broker.Url(), Listed("Gamma")), guest(broker.Url());
    const std::string firstCode = RoomCodeIn(first.Host());
    // Long enough that the second, answering a second after it told the lobby of itself
    // unasked, still tells a shorter wait.
    Idle({&first.g}, 2100);
    const std::string secondCode = RoomCodeIn(second.Host());
    hidden.Host();
    guest.Join(taken.Host());
    ASSERT_TRUE(InMatch(taken, guest));
    const auto rooms = Look(broker, {&first.g, &second.g, &hidden.g, &taken.g, &guest.g});
    ASSERT_EQ(rooms.size(), 2u);
    EXPECT_EQ(rooms[0].code, firstCode);
    EXPECT_EQ(rooms[0].name, "Alpha");
    EXPECT_EQ(rooms[0].words, "kana, 120 words");
    EXPECT_GE(rooms[0].waited, 2);
    EXPECT_EQ(rooms[1].code, secondCode);
    EXPECT_EQ(rooms[1].name, "Beta");
    EXPECT_TRUE(first.Traced("log 2 Relay: listed in the lobby as Alpha"));
}

// A room that opens while a look is under way, after its ask went out, tells that look too.
TEST(Lobby, ARoomOpenedDuringALookIsInIt) {
    Broker broker;
    RoomGame late(broker.Url(), Listed("Late"));
    RawMqtt watcher(broker, "lobby", "watcher");
    watcher.Subscribe("lobby/#");
    const auto seen = [&](const std::string& topic) {
        return [&, topic] {
            const auto got = watcher.Got();
            return std::any_of(got.begin(), got.end(),
                               [&](const RawMqtt::Message& m) { return m.topic == topic; });
        };
    };
    int64_t now = 0;  // the look's clock stands still until the room has spoken
    MosquittoLinkMaker maker(broker.Url());
    LobbyQuery lobby(maker.NewLink(""), [&] { return now; });
    const auto pumped = [&](const std::function<bool()>& done) {
        return Await({&late.g}, [&] {
            lobby.Pump();
            return done();
        });
    };
    ASSERT_TRUE(pumped(seen("lobby/ask")));
    const std::string code = RoomCodeIn(late.Host());
    ASSERT_TRUE(pumped(seen("lobby/" + code)));
    now = 60000;
    ASSERT_TRUE(pumped([&] { return lobby.Done(); }));
    ASSERT_EQ(lobby.Rooms().size(), 1u);
    EXPECT_EQ(lobby.Rooms()[0].code, code);
}

// A quick match joins the room that has waited longest and is there: a stranger's listing of a
// room that is not, which claims to have waited longer than any, is tried and left.
TEST(Lobby, QuickMatchJoinsTheLongestWaitingRoomThatIsThere) {
    Broker broker;
    RoomGame host(broker.Url(), Listed("Real")), guest(broker.Url()), alone(broker.Url());
    const std::string code = RoomCodeIn(host.Host());
    RawMqtt liar(broker, "999999999999", "liar");
    guest.Join("quick");
    int64_t lied = 0;
    // The fake room is given up only after a quick match's eight seconds: the wait is long, for
    // a machine busy with other tests, and says what the guest tried when it runs out.
    ASSERT_TRUE(Await(
        {&host.g, &guest.g},
        [&] {
            if (SteadyMilliseconds() - lied > 50) {
                liar.Publish("lobby/999999999999", "kb1\n9999\nFake\nnone");
                lied = SteadyMilliseconds();
            }
            return host.g.s.SceneNo == kSceneMatch && guest.g.s.SceneNo == kSceneMatch;
        },
        40000))
        << testing::PrintToString(guest.TracedStartingWith("log 2 Relay: "));
    EXPECT_EQ(
        guest.TracedStartingWith("log 2 Relay: trying room "),
        (std::vector<std::string>{"log 2 Relay: trying room 9999 9999 9999 of Fake",
                                  "log 2 Relay: trying room " + ShownRoomCode(code) + " of Real"}));
    PlayToTheResult(host, guest);

    alone.Join(" Quick ");
    EXPECT_TRUE(
        Await({&alone.g}, [&] { return NetworkProblem(alone.g) == u"No public room is waiting"; }));
}

// Only a client of a room answers in its name, and a room answers once a second however often
// it is asked; two different listings under one code (a stranger with the code answering too)
// take the room out of the look instead of showing either.
TEST(Lobby, ListingsSpeakOnlyForTheirRoomAndAtTheirPace) {
    Broker broker;
    RoomGame host(broker.Url(), Listed("Real"));
    const std::string code = RoomCodeIn(host.Host());
    RawMqtt asker(broker, "lobby", "asker"), outsider(broker, "lobby", "outsider");
    asker.Subscribe("lobby/#");
    Idle({&host.g}, 300);
    for (int i = 0; i < 50; ++i) asker.Publish("lobby/ask", "");
    outsider.Publish("lobby/" + code, "kb1\n1\nNot me\nx");
    outsider.Publish("lobby/123456789012", "kb1\n1\nNobody\nx");
    Idle({&host.g}, 1500);
    int answers = 0;
    for (const RawMqtt::Message& m : asker.Got()) {
        if (m.topic == "lobby/ask") continue;
        EXPECT_NE(m.payload.find("Real"), std::string::npos) << m.topic << " " << m.payload;
        answers += m.topic == "lobby/" + code;
    }
    EXPECT_GE(answers, 1);
    EXPECT_LE(answers, 2);

    RawMqtt insider(broker, code.c_str(), "insider");
    EXPECT_TRUE(Look(broker, {&host.g}, [&] {
                    insider.Publish("lobby/" + code, "kb1\n5\nRude name\nx");
                }).empty());
}

// The programs players run: a driver started to host a listed room at once, the window
// program's --lobby and the driver's `lobby` line that show it, and a driver started to join a
// quick match that joins it.
TEST(Lobby, ProgramsHostListAndJoinFromTheCommandLine) {
    Broker broker;
    TempDir dir;
    const std::string log = (dir.Path() / "host.log").string();
    Process host({std::string(KB_BINARY_DIR) + "/kanaburst-sim", "--realtime", "--relay",
                  broker.Url(), "--host-public", "Hanako"},
                 "frames 2\nwait 60000\n", log);
    // Once its room is open (a driver on a busy machine takes a while to start)...
    ASSERT_NE(AwaitInLog(log, "log 2 Relay: listed in the lobby as Hanako", 30000), "")
        << ReadText(log);
    // ... the window program's look at the lobby shows it.
    std::string listed;
    ASSERT_TRUE(Await(
        {},
        [&] {
            listed = RunCommand(std::string(KB_BINARY_DIR) + "/kanaburst --lobby --relay " +
                                broker.Url())
                         .out;
            return listed.find("Hanako") != std::string::npos;
        },
        15000))
        << listed << "\n"
        << ReadText(log);
    EXPECT_NE(listed.find("waiting "), std::string::npos) << listed;
    const SimRun look = RunSim("lobby\n", "--realtime --relay " + broker.Url());
    ASSERT_EQ(look.LinesStartingWith("lobby ").size(), 1u) << look.out;
    EXPECT_NE(look.LinesStartingWith("lobby ")[0].find(" Hanako|standard, "), std::string::npos)
        << look.out;

    const SimRun joined =
        RunSim("frames 120\nstate\n", "--realtime --relay " + broker.Url() + " --quick");
    ASSERT_FALSE(joined.states.empty()) << joined.out;
    EXPECT_EQ(JsonField(joined.states.back(), "SceneNo"), "1") << joined.out;
    EXPECT_NE(joined.out.find("log 2 Relay: trying room "), std::string::npos);

    const SimRun noRelay = RunSim("frames 1\n", "--quick");
    EXPECT_NE(noRelay.status, 0);
    EXPECT_NE(noRelay.out.find("needs a relay"), std::string::npos) << noRelay.out;
}

}  // namespace
}  // namespace kb::test
