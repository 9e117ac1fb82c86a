#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl/KVQuadBatch.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstddef>
#include <string>

#include "platform/objects/KVLogLine.h"

namespace {

const char* const kVertexShader =
    "#version 120\n"
    "void main()\n"
    "{\n"
    "    gl_Position = ftransform();\n"
    "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "    gl_FrontColor = gl_Color;\n"
    "}\n";

// The fixed-function texture environment (modulate) with the texture chosen
// per quad by the third texture coordinate.
std::string fragmentShader(int units)
{
    std::string s = "#version 120\n";
    for (int i = 0; i < units; ++i)
        s += "uniform sampler2D unit" + std::to_string(i) + ";\n";
    s += "void main()\n{\n    float k = gl_TexCoord[0].z;\n    vec4 c = gl_Color;\n";
    for (int i = 0; i < units; ++i)
        s += std::string(i ? "    else " : "    ") + "if (k > " + std::to_string(i) + ".5 && k < " +
             std::to_string(i + 1) + ".5) c *= texture2D(unit" + std::to_string(i) + ", gl_TexCoord[0].xy);\n";
    s += "    gl_FragColor = c;\n}\n";
    return s;
}

GLuint compile(GLenum kind, const std::string& source)
{
    GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        KVLogLine("KVQuadBatch: shader not compiled (%s); drawing without it", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint link(int units)
{
    const GLuint vertex = compile(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragment = vertex ? compile(GL_FRAGMENT_SHADER, fragmentShader(units)) : 0;
    if (!fragment) {
        if (vertex)
            glDeleteShader(vertex);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        KVLogLine("KVQuadBatch: shader program not linked; drawing without it");
        glDeleteProgram(program);
        return 0;
    }
    glUseProgram(program);
    for (int i = 0; i < units; ++i)
        glUniform1i(glGetUniformLocation(program, ("unit" + std::to_string(i)).c_str()), i);
    glUseProgram(0);
    return program;
}

}  // namespace

KVQuadTransform KVQuadTransform::make(float x, float y, float degrees, float ox, float oy)
{
    // As glRotatef computes them, so that corners turn exactly as before.
    const float s = static_cast<float>(std::sin(degrees * (M_PI / 180.0)));
    const float c = static_cast<float>(std::cos(degrees * (M_PI / 180.0)));
    KVQuadTransform t;
    t.a = c;
    t.b = s;
    t.c = -s;
    t.d = c;
    t.tx = (c * ox + -s * oy) + x;
    t.ty = (s * ox + c * oy) + y;
    return t;
}

KVQuadBatch& KVQuadBatch::current()
{
    thread_local KVQuadBatch batch;
    return batch;
}

KVQuadBatch::KVQuadBatch(int units) : requestedUnits_(units < 1 ? 1 : units > kMaxUnits ? kMaxUnits : units)
{
    vertices_.resize(static_cast<size_t>(kMaxQuads) * 4);
}

// The OpenGL objects die with their context; the process never deletes a
// context that is current while a thread ends.
KVQuadBatch::~KVQuadBatch() = default;

void KVQuadBatch::setStyle(uint32_t texture, uint32_t blendSource, uint32_t blendDestination, float r, float g,
                           float b, float a)
{
    if (quads_ > 0 && (blendSource != run_.source || blendDestination != run_.destination))
        flush();
    if (quads_ == 0)
        prepare();
    run_.source = blendSource;
    run_.destination = blendDestination;
    color_[0] = r;
    color_[1] = g;
    color_[2] = b;
    color_[3] = a;

    // Without shaders the flat colour needs texturing off, and every
    // texture needs a run of its own.
    const bool oneUnit = maxUnits_ <= 1;
    if (texture == 0) {
        if (oneUnit && quads_ > 0 && !run_.flat)
            flush();
        if (quads_ == 0)
            run_.flat = true;
        unit_ = 0.0f;
        return;
    }
    for (int i = 0; i < run_.unitCount; ++i)
        if (run_.units[i] == texture) {
            unit_ = static_cast<float>(i + 1);
            return;
        }
    if (run_.unitCount == (oneUnit ? 1 : maxUnits_) || (oneUnit && quads_ > 0 && run_.flat))
        flush();
    if (quads_ == 0)
        run_.flat = false;
    run_.units[run_.unitCount++] = texture;
    unit_ = static_cast<float>(run_.unitCount);
}

void KVQuadBatch::addQuad(const KVQuadTransform& t, const float* corners)
{
    if (quads_ == kMaxQuads) {
        const Run run = run_;  // the style goes on in the next draw
        flush();
        run_ = run;
    }
    Vertex* v = &vertices_[static_cast<size_t>(quads_) * 4];
    for (int i = 0; i < 4; ++i, corners += 4) {
        const float x = corners[0], y = corners[1];
        v[i] = Vertex{t.a * x + t.c * y + t.tx, t.b * x + t.d * y + t.ty, corners[2], corners[3], unit_,
                      color_[0], color_[1], color_[2], color_[3]};
    }
    ++quads_;
}

void KVQuadBatch::flush()
{
    if (quads_ > 0 && prepare())
        draw();
    quads_ = 0;
    run_.unitCount = 0;
}

bool KVQuadBatch::prepare()
{
    // Names from a context that is gone mean nothing in this one.
    if (program_ && !glIsProgram(program_))
        program_ = 0;
    if (vertexBuffer_ && !glIsBuffer(vertexBuffer_))
        vertexBuffer_ = indexBuffer_ = 0;
    if (!vertexBuffer_) {
        std::vector<GLushort> indices(static_cast<size_t>(kMaxQuads) * 6);
        for (int q = 0; q < kMaxQuads; ++q) {
            // The two triangles of a strip, in its order.
            const GLushort k = static_cast<GLushort>(q * 4);
            const GLushort quad[6] = {k, GLushort(k + 1), GLushort(k + 2), GLushort(k + 2), GLushort(k + 1),
                                      GLushort(k + 3)};
            for (int i = 0; i < 6; ++i)
                indices[static_cast<size_t>(q) * 6 + i] = quad[i];
        }
        GLuint buffers[2] = {0, 0};
        glGenBuffers(2, buffers);
        vertexBuffer_ = buffers[0];
        indexBuffer_ = buffers[1];
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLushort)),
                     indices.data(), GL_STATIC_DRAW);
    }
    if (!program_ && !noShader_) {
        GLint units = 0;
        glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
        maxUnits_ = units < requestedUnits_ ? static_cast<int>(units) : requestedUnits_;
        program_ = maxUnits_ > 1 ? link(maxUnits_) : 0;
        noShader_ = program_ == 0;
    }
    if (noShader_)
        maxUnits_ = 1;
    return vertexBuffer_ != 0;
}

void KVQuadBatch::draw()
{
    ++draws_;
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    // A new store each time: the driver need not wait for the last draw.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(Vertex)) * quads_ * 4, vertices_.data(),
                 GL_STREAM_DRAW);
    const char* base = nullptr;  // offsets into the buffer
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), base + offsetof(Vertex, x));
    glTexCoordPointer(3, GL_FLOAT, sizeof(Vertex), base + offsetof(Vertex, u));
    glColorPointer(4, GL_FLOAT, sizeof(Vertex), base + offsetof(Vertex, r));
    glEnableClientState(GL_COLOR_ARRAY);
    glBlendFunc(run_.source, run_.destination);

    const bool flat = program_ == 0 && run_.flat;
    if (program_) {
        glUseProgram(program_);
        for (int i = run_.unitCount - 1; i >= 0; --i) {
            glActiveTexture(GL_TEXTURE0 + i);
            glBindTexture(GL_TEXTURE_2D, run_.units[i]);
        }
    } else if (flat) {
        glDisable(GL_TEXTURE_2D);
    } else {
        glBindTexture(GL_TEXTURE_2D, run_.units[0]);
    }

    glDrawElements(GL_TRIANGLES, quads_ * 6, GL_UNSIGNED_SHORT, nullptr);

    // Back to the game view's state.
    if (program_)
        glUseProgram(0);
    if (flat)
        glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisableClientState(GL_COLOR_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void KVFlushQuads()
{
    KVQuadBatch::current().flush();
}

void KVDeleteTexture(uint32_t texture)
{
    KVFlushQuads();
    if (texture != 0)
        glDeleteTextures(1, &texture);
}
