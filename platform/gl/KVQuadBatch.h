// Quads on their way to OpenGL. Drawing one quad at a time costs a dozen
// calls and a draw, each revalidated by the driver; here quads are collected
// on the CPU, corners already transformed, and drawn with one call per run of
// quads that share a blend function. Up to kMaxUnits textures and the flat
// colour share a run: each texture is bound to a texture unit of its own and
// a small shader picks the unit per quad (without shaders, every texture and
// the flat colour get runs of their own). A run of one texture, or of the
// flat colour alone, draws with the fixed pipeline, as single quads did.
//
// The quads are drawn with the matrices current when they are drawn, so
// whoever changes the matrices, clears, reads pixels back, deletes a texture
// or draws with OpenGL directly flushes first (KVFlushQuads()). A flush
// leaves the game view's drawing state as it found it.
#pragma once

#include <cstdint>
#include <vector>

// Where a quad's corners go: what glTranslatef(x, y), glRotatef(degrees
// about z) and glTranslatef(ox, oy) do to the model-view matrix, computed as
// OpenGL computes them, so corners land where that matrix put them.
struct KVQuadTransform {
    float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;  // x' = a x + c y + tx, y' = b x + d y + ty

    static KVQuadTransform make(float x, float y, float degrees, float ox = 0.0f, float oy = 0.0f);
};

class KVQuadBatch {
public:
    static constexpr int kMaxUnits = 4;
    // Quads per draw; more are drawn in several.
    static constexpr int kMaxQuads = 16384;

    // The calling thread's batch: drawing happens on the thread where the
    // context is current.
    static KVQuadBatch& current();

    // How a run's quads choose their texture.
    enum class Units {
        automatic,  // the best the context has, as below
        indexed,    // the quad's unit indexes an array of samplers (GLSL 4.00)
        branched,   // one branch per unit (GLSL 1.20)
        none,       // no shader: a run per texture
    };

    explicit KVQuadBatch(Units units = Units::automatic);
    ~KVQuadBatch();
    KVQuadBatch(const KVQuadBatch&) = delete;
    KVQuadBatch& operator=(const KVQuadBatch&) = delete;

    // How the quads that follow are drawn: the texture (0 for the flat
    // colour), the blend function and the colour (each component as
    // glColor4f takes it).
    void setStyle(uint32_t texture, uint32_t blendSource, uint32_t blendDestination, float r, float g, float b,
                  float a);
    // One quad: four corners in triangle-strip order, each x, y, u, v in
    // the transform's frame.
    void addQuad(const KVQuadTransform& transform, const float* corners);
    // Draws what was collected, with the current matrices.
    void flush();
    // Whether collected quads show the texture.
    bool shows(uint32_t texture) const;

private:
    struct Vertex {
        float x, y, u, v, unit;  // unit 0: flat, k: the run's texture k - 1
        float r, g, b, a;
    };

    bool prepare();
    void draw();

    // What the collected quads share.
    struct Run {
        uint32_t source = 0;  // blend function
        uint32_t destination = 0;
        uint32_t units[kMaxUnits] = {};  // textures
        int unitCount = 0;
        bool hasFlat = false;  // some quads show no texture
    };

    std::vector<Vertex> vertices_;
    int quads_ = 0;
    Run run_;
    // The style of the next quad.
    float unit_ = 0.0f;
    float color_[4] = {1, 1, 1, 1};

    // OpenGL objects of the context they were made in, checked at each draw
    // (contexts come and go).
    uint32_t program_ = 0;
    uint32_t vertexBuffer_ = 0;
    uint32_t indexBuffer_ = 0;
    Units units_;
    int maxUnits_ = 0;  // 0 until prepared; 1 without shaders
};

// Draws the calling thread's collected quads.
void KVFlushQuads();
// Deletes a texture, after drawing the collected quads if they show it.
void KVDeleteTexture(uint32_t texture);
