// Logs a pending OpenGL error with the label of the call that caused it.
#pragma once

// Reads glGetError(); when it is not GL_NO_ERROR logs
// "OpenGL Error in <label> : <GLU's description>". Nothing else happens.
void CheckGLError(const char* label);
