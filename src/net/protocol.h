#pragma once
// The wire protocol: the send queue and the dispatcher of received messages.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void SendDataAdd(Game& g, int sDo, const std::u16string& Parameter);
void SendEND(Game& g);
void Del_List(Game& g);
void GetDataDo(Game& g, const std::u16string& GetStr);
void Winsock_DataArrival(Game& g, int32_t bytesTotal);

}  // namespace kb
