// The wire protocol: a two-digit code followed directly by its parameter digits, no separator.
// Outgoing messages wait in SendList and go out one at a time, each after the previous one
// has completed. Received text is applied message by message.
//
// TCP keeps no message boundaries, so an arrival may end inside a message. Such a tail is kept
// in g.recvBuf and parsed whole once its rest arrives. A tail is incomplete when it is
//   - one digit alone (the second digit of the code is still to come),
//   - code 04, 05, 06 or 99 with no parameter character yet,
//   - code 51 with fewer than two parameter characters.
// Codes 00, 01 and 50 have no parameter and are always complete; so is an unknown code, and a
// code that is not a number is an error at once. Everything else is parsed as it comes.
#include "net/protocol.h"

#include "audio/sound_effects.h"
#include "battle/missiles.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/socket_control.h"
#include "record/keep_match.h"
#include "shell/scenes.h"
#include "text/ustr.h"

namespace kb {

namespace {

constexpr int kHighestLane = kLaneSlots - 1;  // the tables hold lanes 0..6

// The code as two digits, like a leading-zero format of the number.
std::u16string FormatCode(int code) {
    std::u16string digits = Num(code < 0 ? -static_cast<long long>(code) : code);
    if (digits.size() < 2) digits.insert(0, 1, u'0');
    return code < 0 ? u"-" + digits : digits;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// A parameter character reads as its digit; anything else reads as 0.
int ParamValue(char16_t c) {
    return IsDigit(c) ? c - u'0' : 0;
}

// The leading number of a text, 0 when it starts with none.
int LeadingNumber(std::u16string_view text) {
    int value = 0;
    for (char16_t c : text.substr(0, 2)) {
        if (!IsDigit(c)) break;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// Parameter characters that code needs before it can be applied; 0 for none.
size_t ParamLength(int code) {
    switch (code) {
        case kCodeLaunch:
        case kCodeReinforce:
        case kCodeCollision:
        case kCodeCountDown:
            return 1;
        case kCodeDecided:
            return 2;
        default:
            return 0;
    }
}

// Text goes on the wire in code page 932, as the system's ANSI code page writes it.
bool HandToConnection(Game& g, const std::u16string& message) {
    if (!g.sv.winsock->SendData(ToCp932(message))) {
        if (g.recorder) g.recorder->SendRefused();
        return false;
    }
    DebugAdd(g, 0, message);
    g.Trace("send " + ToUtf8(message));
    return true;
}

void ConnectLost(Game& g, const std::u16string& where, const std::u16string& message) {
    KeepLostMatch(g);
    MsgBox(g, u"Connect Lost\r\n→" + where + u"(" + message + u")", u"Kanaburst");
    EndProgram(g);
}

void StartNetworkMatch(Game& g) {
    GameStartInit(g);
    PlayNormal(g, kSeNetworkStart);
    DebugAdd(g, 2, u"GAME START");
}

}  // namespace

void SendDataAdd(Game& g, int sDo, const std::u16string& Parameter) {
    auto& list = g.s.SendList;
    int slot = 0;
    while (slot < kSendSlots && !list[slot].empty()) ++slot;
    if (slot == kSendSlots) {
        MsgBox(g, u"送信データが多すぎます。", u"Kanaburst");
        return;
    }
    list[slot] = FormatCode(sDo) + Parameter;
    if (slot == 0 && !HandToConnection(g, list[0])) ConnectLost(g, u"SendDataAdd", list[0]);
}

void SendEND(Game& g) {
    if (g.recorder) g.recorder->SendComplete();
    auto& list = g.s.SendList;
    const int sent = LeadingNumber(list[0]);
    Del_List(g);
    if (sent == kCodeDecided) {
        // The result is out: the match is over for both sides.
        CloseWinsock(g);
        CloseWinsockL(g);
        EmptySendList(g);
        // Spelt so on purpose: it is the log line peers and tools have always matched.
        DebugAdd(g, 2, u"Connection Tarminated");
        return;
    }
    if (!list[0].empty() && !HandToConnection(g, list[0])) ConnectLost(g, u"SendEND", list[0]);
}

void EmptySendList(Game& g) {
    for (auto& slot : g.s.SendList) slot.clear();
}

void Del_List(Game& g) {
    auto& list = g.s.SendList;
    int i = 0;
    for (; i < kSendSlots - 1; ++i) {
        if (list[i].empty()) break;
        list[i] = list[i + 1];
    }
    list[kSendSlots - 1].clear();
    list[i].clear();
}

void Winsock_DataArrival(Game& g, int32_t) {
    const std::string bytes = g.sv.winsock->GetData();
    if (g.recorder) g.recorder->Arrival(bytes);
    const std::u16string data = FromCp932(bytes);
    DebugAdd(g, 1, data);
    g.Trace("recv " + ToUtf8(data));
    GetDataDo(g, data);
}

void GetDataDo(Game& g, const std::u16string& GetStr) {
    GameState& s = g.s;
    if (s.GameMode == kModeNone || s.GameMode == kModeCom) {
        g.recvBuf.clear();
        return;
    }
    std::u16string rest = g.recvBuf + GetStr;
    g.recvBuf.clear();
    auto error = [&] { DebugAdd(g, 2, u"GetDataEr : " + rest); };
    while (!rest.empty()) {
        if (rest.size() == 1 && IsDigit(rest[0])) break;  // the code's second digit is to come
        const std::u16string codeText = rest.substr(0, 2);
        for (char16_t c : codeText) {
            if (!IsDigit(c)) return error();
        }
        const int code = LeadingNumber(codeText);
        if (rest.size() < 2 + ParamLength(code)) break;  // its parameter is to come
        rest.erase(0, 2);
        const int param = ParamLength(code) > 0 ? ParamValue(rest[0]) : 0;
        switch (code) {
            case kCodeServerHello:
                SendDataAdd(g, kCodeClientHello, u"");
                break;
            case kCodeClientHello:
                SendDataAdd(g, kCodeStart, u"");
                if (g.ended) return;  // Connect Lost ended the program
                StartNetworkMatch(g);
                break;
            case kCodeStart:
                StartNetworkMatch(g);
                break;
            case kCodeLaunch:
            case kCodeReinforce:
                if (param > kHighestLane) return error();
                Fire_Mis(g, param, kEnSide);
                rest.erase(0, 1);
                break;
            case kCodeCollision:
                if (param > kHighestLane) return error();
                Explode(g, kMySide, param);
                Explode(g, kEnSide, param);
                rest.erase(0, 1);
                break;
            case kCodeDecided: {
                const int lane = ParamValue(rest[1]);
                if (lane > kHighestLane) return error();
                if (param == 0) {
                    Explode(g, kMySide, lane);
                    Game_End(g, u"WIN");
                } else {
                    Explode(g, kEnSide, lane);
                    Game_End(g, u"LOSE");
                }
                CloseWinsock(g);
                EmptySendList(g);
                DebugAdd(g, 2, u"Connection Tarminated");
                return;  // the rest of this arrival is not read
            }
            case kCodeCountDown:
                s.StartCount = static_cast<Single>(param);
                s.PlaySec = 0;
                if (param == 0) {
                    s.InputStr.clear();
                    s.InputOn = 1;
                }
                rest.erase(0, 1);
                break;
            default:
                DebugAdd(g, 2, u"No Command : " + Num(code) + u" : " + rest);
                break;
        }
        if (g.ended) return;
    }
    g.recvBuf = rest;
}

}  // namespace kb
