// Reports pending OpenAL errors with the label of the call that caused
// them. A report never stops the operation.
#pragma once

#include <AL/alc.h>

// Reads alGetError() of the current context; a non-zero code is printed on
// standard error as "OpenAL error <code> in call to <label>". Answers
// whether there was one.
bool KVCheckALError(const char* label);

// Reads alcGetError(device); a non-zero code is printed on standard error
// as "OpenAL context error <code> in call to <label>".
bool KVCheckALCError(ALCdevice* device, const char* label);
