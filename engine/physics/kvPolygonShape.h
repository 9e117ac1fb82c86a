// A polygon built by a script: either a box, or vertices added one at a time
// and completed with Box2D's own hull, normals and centroid when used.
#pragma once

#include <vector>

#include <box2d/box2d.h>

class kvPolygonShape {
public:
    // Empty: no vertices, centroid (0, 0), Box2D's polygon skin as radius.
    kvPolygonShape() = default;

    // Half-extents in metres, each raised to at least 0.01.
    void setAsBox(float halfWidth, float halfHeight);
    // Appends a vertex in metres.
    void addVertex(const b2Vec2& vertex);
    int vertexCount() const { return static_cast<int>(m_vertices.size()); }

    // The completed polygon. Throws b2Exception when the vertices do not make
    // one (fewer than 3 distinct points, more than b2_maxPolygonVertices, or
    // no area).
    const b2PolygonShape& shape();

private:
    b2PolygonShape m_shape;
    std::vector<b2Vec2> m_vertices;
    // Whether m_shape already matches m_vertices.
    bool m_complete = false;
};
