#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl/KVQuadBatch.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/objects/KVLogLine.h"

namespace {

// The fixed pipeline's vertex stage and texture environment (modulate),
// with the texture chosen per quad by the third texture coordinate: 0 for
// none, k for unit k - 1.
std::string vertexShader(const char* version)
{
    return std::string(version) +
           "void main()\n"
           "{\n"
           "    gl_Position = ftransform();\n"
           "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"
           "    gl_FrontColor = gl_Color;\n"
           "}\n";
}

const char* const kIndexedVersion = "#version 400 compatibility\n";
const char* const kBranchedVersion = "#version 120\n";

std::string fragmentShader(KVQuadBatch::Units kind, int units)
{
    const std::string count = std::to_string(units);
    std::string s = kind == KVQuadBatch::Units::indexed ? kIndexedVersion : kBranchedVersion;
    s += "uniform sampler2D units[" + count + "];\n"
         "void main()\n{\n"
         "    int k = int(gl_TexCoord[0].z + 0.5);\n"
         "    vec4 c = gl_Color;\n";
    if (kind == KVQuadBatch::Units::indexed) {
        s += "    if (k > 0) c *= texture(units[k - 1], gl_TexCoord[0].xy);\n";
    } else {
        for (int i = 0; i < units; ++i)
            s += std::string(i ? "    else " : "    ") + "if (k == " + std::to_string(i + 1) +
                 ") c *= texture2D(units[" + std::to_string(i) + "], gl_TexCoord[0].xy);\n";
    }
    return s + "    gl_FragColor = c;\n}\n";
}

// A software renderer shades one triangle at a time, so the unit is the same
// across a shader invocation and may index the samplers; and it runs every
// branch of an if, so a chain of them would sample every texture. Graphics
// processors run branches that no fragment takes for free but may shade
// several triangles together, where indexing would be undefined.
KVQuadBatch::Units choose(KVQuadBatch::Units asked)
{
    if (asked != KVQuadBatch::Units::automatic)
        return asked;
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* language = reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION));
    const double version = language ? std::atof(language) : 0.0;
    const bool software = renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe"));
    if (software && version >= 4.0)
        return KVQuadBatch::Units::indexed;
    return version >= 1.2 ? KVQuadBatch::Units::branched : KVQuadBatch::Units::none;
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

GLuint link(KVQuadBatch::Units kind, int units)
{
    const char* version = kind == KVQuadBatch::Units::indexed ? kIndexedVersion : kBranchedVersion;
    const GLuint vertex = compile(GL_VERTEX_SHADER, vertexShader(version));
    const GLuint fragment = vertex ? compile(GL_FRAGMENT_SHADER, fragmentShader(kind, units)) : 0;
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
        glUniform1i(glGetUniformLocation(program, ("units[" + std::to_string(i) + "]").c_str()), i);
    glUseProgram(0);
    return program;
}

}  // namespace

KVQuadTransform KVQuadTransform::make(float x, float y, float degrees, float ox, float oy)
{
    // As glRotatef computes them, so that corners turn exactly as before.
    const bool turned = degrees != 0.0f;
    const float s = turned ? static_cast<float>(std::sin(degrees * (M_PI / 180.0))) : 0.0f;
    const float c = turned ? static_cast<float>(std::cos(degrees * (M_PI / 180.0))) : 1.0f;
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

KVQuadBatch::KVQuadBatch(Units units) : units_(units)
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
    const int maxUnits = maxUnits_ < 1 ? 1 : maxUnits_;
    if (texture == 0) {
        if (maxUnits == 1 && run_.unitCount > 0)
            flush();
        run_.hasFlat = true;
        unit_ = 0.0f;
        return;
    }
    for (int i = 0; i < run_.unitCount; ++i)
        if (run_.units[i] == texture) {
            unit_ = static_cast<float>(i + 1);
            return;
        }
    if (run_.unitCount == maxUnits || (maxUnits == 1 && run_.hasFlat))
        flush();
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
    run_.hasFlat = false;
}

bool KVQuadBatch::shows(uint32_t texture) const
{
    // Quads of earlier runs are drawn already.
    for (int i = 0; quads_ > 0 && i < run_.unitCount; ++i)
        if (run_.units[i] == texture)
            return true;
    return false;
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
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    if (maxUnits_ == 0 || (maxUnits_ > 1 && !program_)) {
        units_ = choose(units_);
        GLint units = 0;
        glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
        maxUnits_ = units < kMaxUnits ? static_cast<int>(units) : kMaxUnits;
        program_ = units_ != Units::none && maxUnits_ > 1 ? link(units_, maxUnits_) : 0;
        if (!program_) {
            units_ = Units::none;
            maxUnits_ = 1;
        }
    }
    return vertexBuffer_ != 0;
}

void KVQuadBatch::draw()
{
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    // A new store each time: the driver need not wait for the last draw.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(Vertex)) * quads_ * 4, vertices_.data(),
                 GL_STREAM_DRAW);
    const char* base = nullptr;  // offsets into the buffer
    // The shader only where the run needs it: one texture, or none, draws
    // as the fixed pipeline did before.
    const bool shader = program_ && (run_.unitCount > 1 || (run_.unitCount == 1 && run_.hasFlat));
    const bool flat = run_.unitCount == 0;
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), base + offsetof(Vertex, x));
    glTexCoordPointer(shader ? 3 : 2, GL_FLOAT, sizeof(Vertex), base + offsetof(Vertex, u));
    glColorPointer(4, GL_FLOAT, sizeof(Vertex), base + offsetof(Vertex, r));
    glEnableClientState(GL_COLOR_ARRAY);
    glBlendFunc(run_.source, run_.destination);

    if (shader) {
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
    if (shader)
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
    if (texture == 0)
        return;
    // Its name may come back for the next texture made.
    KVQuadBatch& batch = KVQuadBatch::current();
    if (batch.shows(texture))
        batch.flush();
    glDeleteTextures(1, &texture);
}
