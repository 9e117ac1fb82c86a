// What the platformWrappers module gives scripts besides music: the game
// clock, the wall clock and a debug-log channel.
#pragma once

// Seconds since the first clock reading of the process.
float KVGetSystemTime();
// Year, month, day, hour, minute, second, millisecond of the local time.
void KVGetClockTime(unsigned components[7]);
// Posts "KVLogDebugStatementNotification" on the default notification
// center, with no sender and {"debugStatement": text}. Nothing in the player
// observes it; a host that embeds the engine may.
void KVLogDebugStatement(const char* text);
