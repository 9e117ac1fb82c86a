// Writes one log line to standard error, prefixed with the local time and
// the process name and id, as the platform's log function does. The line is
// written with a single call, so lines from several threads do not mix.
#pragma once

void KVLogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
