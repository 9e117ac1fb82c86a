#include "platform/gl/CheckGLError.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/objects/KVLogLine.h"

void CheckGLError(const char* label)
{
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return;
    const GLubyte* text = gluErrorString(error);
    KVLogLine("OpenGL Error in %s : %s", label ? label : "(null)",
              text ? reinterpret_cast<const char*>(text) : "unknown error");
}
