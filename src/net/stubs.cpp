// Placeholders until the network match lands.
#include "net/connection.h"
#include "net/protocol.h"

namespace kb {
void SendDataAdd(Game&, int, const std::u16string&) {}
void SendEND(Game&) {}
void Del_List(Game&) {}
void GetDataDo(Game&, const std::u16string&) {}
void Winsock_DataArrival(Game&, int32_t) {}
void StartServer(Game&) {}
void ShowAddressWindow(Game&) {}
bool AddressWindowVisible(const Game&) { return false; }
void WinsockL_ConnectionRequest(Game&, int32_t) {}
void Text1_KeyDown(Game&, int, int) {}
void CloseWinsock(Game&) {}
void CloseWinsockL(Game&) {}
std::u16string LocalIP(Game&) { return u"127.0.0.1"; }
void PollNetwork(Game&) {}
void ConnectionTimeOut(Game&) {}
}  // namespace kb
