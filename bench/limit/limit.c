/* The machine's limit for the sprite scenes: the same N pictures at the same
 * places, drawn the cheapest way OpenGL allows, one draw call per frame from
 * a vertex buffer filled once, in an 800 x 600 window without vsync.
 *
 *   kvlimit PICTURE.png N SIZE FRAMES
 *
 * Each frame's time spans the clear, the draw and glFinish (what the player's
 * --stats and the LÖVE scenes time); presenting is not counted. Prints one
 * line: "frames F, median X ms, p95 Y ms, max Z ms". */
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

enum { Width = 800, Height = 600, FloatsPerVertex = 4, VerticesPerSprite = 6 };

static int compareDoubles(const void* a, const void* b)
{
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

/* Nearest rank, as the player computes it. */
static double rank(const double* sorted, int count, double p)
{
    int r = (int)ceil(p * count);
    if (r < 1)
        r = 1;
    if (r > count)
        r = count;
    return sorted[r - 1];
}

static int fail(const char* what, const char* detail)
{
    fprintf(stderr, "kvlimit: %s%s%s\n", what, detail ? ": " : "", detail ? detail : "");
    return 1;
}

/* Uploads the picture premultiplied, as the player uploads pictures. */
static GLuint loadTexture(const char* path)
{
    SDL_Surface* loaded = IMG_Load(path);
    if (!loaded)
        return 0;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (!rgba)
        return 0;
    Uint8* pixels = rgba->pixels;
    for (int y = 0; y < rgba->h; ++y) {
        Uint8* p = pixels + y * rgba->pitch;
        for (int x = 0; x < rgba->w; ++x, p += 4)
            for (int c = 0; c < 3; ++c)
                p[c] = (Uint8)((p[c] * p[3] + 127) / 255);
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rgba->pitch / 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, rgba->w, rgba->h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    SDL_FreeSurface(rgba);
    return texture;
}

/* Two triangles per sprite, centred where the benchmark scenes put sprite i. */
static float* buildQuads(int n, float size)
{
    float* v = malloc(sizeof(float) * FloatsPerVertex * VerticesPerSprite * (size_t)n);
    if (!v)
        return NULL;
    float* p = v;
    for (int i = 1; i <= n; ++i) {
        const float cx = 16.0f + (float)((i * 409) % (Width - 32));
        const float cy = 16.0f + (float)((i * 263) % (Height - 32));
        const float x0 = cx - size / 2, x1 = cx + size / 2, y0 = cy - size / 2, y1 = cy + size / 2;
        const float corners[VerticesPerSprite][FloatsPerVertex] = {
            {x0, y0, 0, 0}, {x1, y0, 1, 0}, {x0, y1, 0, 1}, {x1, y0, 1, 0}, {x0, y1, 0, 1}, {x1, y1, 1, 1},
        };
        for (int k = 0; k < VerticesPerSprite; ++k)
            for (int c = 0; c < FloatsPerVertex; ++c)
                *p++ = corners[k][c];
    }
    return v;
}

int main(int argc, char** argv)
{
    if (argc != 5)
        return fail("usage: kvlimit PICTURE.png N SIZE FRAMES", NULL);
    const char* picture = argv[1];
    const int n = atoi(argv[2]);
    const float size = (float)atof(argv[3]);
    const int frames = atoi(argv[4]);
    if (n < 1 || size <= 0 || frames < 1)
        return fail("N, SIZE and FRAMES must be positive", NULL);

    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return fail("SDL_Init", SDL_GetError());
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("kvlimit", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Width, Height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window)
        return fail("SDL_CreateWindow", SDL_GetError());
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
        return fail("SDL_GL_CreateContext", SDL_GetError());
    SDL_GL_SetSwapInterval(0); /* unsupported under Xvfb, where there is no vsync anyway */

    GLuint texture = loadTexture(picture);
    if (!texture)
        return fail("cannot load the picture", picture);
    float* quads = buildQuads(n, size);
    if (!quads)
        return fail("out of memory", NULL);
    const GLsizei vertexCount = n * VerticesPerSprite;
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)sizeof(float) * FloatsPerVertex * vertexCount, quads, GL_STATIC_DRAW);
    free(quads);

    glViewport(0, 0, Width, Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, Width, 0, Height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, FloatsPerVertex * sizeof(float), (const void*)0);
    glTexCoordPointer(2, GL_FLOAT, FloatsPerVertex * sizeof(float), (const void*)(2 * sizeof(float)));
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 1);

    double* times = malloc(sizeof(double) * (size_t)frames);
    if (!times)
        return fail("out of memory", NULL);
    const double tick = 1000.0 / (double)SDL_GetPerformanceFrequency();
    for (int f = 0; f < frames; ++f) {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT)
                return 1;
        const Uint64 started = SDL_GetPerformanceCounter();
        glClear(GL_COLOR_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLES, 0, vertexCount);
        glFinish();
        times[f] = (double)(SDL_GetPerformanceCounter() - started) * tick;
        SDL_GL_SwapWindow(window);
    }
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        return fail("OpenGL error", NULL);

    qsort(times, (size_t)frames, sizeof(double), compareDoubles);
    printf("frames %d, median %.3f ms, p95 %.3f ms, max %.3f ms\n", frames, rank(times, frames, 0.5),
           rank(times, frames, 0.95), times[frames - 1]);
    free(times);
    glDeleteBuffers(1, &buffer);
    glDeleteTextures(1, &texture);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
