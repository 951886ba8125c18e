#pragma once
// The wire protocol: the send queue and the dispatcher of received messages.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// The message codes: each goes on the wire as two digits, followed directly by its parameter
// digits (L a lane, F 1 when the server won, D a count-down digit).
inline constexpr int kCodeServerHello = 0;  // 00: the server accepted the client
inline constexpr int kCodeClientHello = 1;  // 01: the client answers
inline constexpr int kCodeLaunch = 4;       // 04 L: a new missile in lane L
inline constexpr int kCodeReinforce = 5;    // 05 L: the flying missile in lane L speeds up
inline constexpr int kCodeCollision = 6;    // 06 L: both missiles in lane L meet
inline constexpr int kCodeStart = 50;       // 50: the server starts the match
inline constexpr int kCodeDecided = 51;     // 51 F L: a missile in lane L got through
inline constexpr int kCodeCountDown = 99;   // 99 D: the start count-down reached D

// Queues the message sDo (two digits) + Parameter; it goes on the wire at once when nothing is
// in flight.
void SendDataAdd(Game& g, int sDo, const std::u16string& Parameter);
// The message in flight has gone out: the next one follows; after "51" the connection closes.
void SendEND(Game& g);
// Removes the head of the queue and moves the others up.
void Del_List(Game& g);
// Drops every message waiting to be sent, and the one in flight.
void EmptySendList(Game& g);
// Applies every whole message of one arrival; an unfinished one at its end waits for its rest.
void GetDataDo(Game& g, const std::u16string& GetStr);
// Bytes arrived on the data connection: logged, then dispatched.
void Winsock_DataArrival(Game& g, int32_t bytesTotal);

}  // namespace kb
