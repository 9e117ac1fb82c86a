#include "engine/physics/kvPolygonShape.h"

#include <algorithm>

namespace {

constexpr float kMinimumHalfExtent = 0.01f;
constexpr const char* kSourceName = "engine/physics/kvPolygonShape.cpp";

}  // namespace

void kvPolygonShape::setAsBox(float halfWidth, float halfHeight)
{
    m_shape.SetAsBox(std::max(halfWidth, kMinimumHalfExtent), std::max(halfHeight, kMinimumHalfExtent));
    // Vertices added later extend the box, as they always did.
    m_vertices.assign(m_shape.m_vertices, m_shape.m_vertices + m_shape.m_count);
    m_complete = true;
}

void kvPolygonShape::addVertex(const b2Vec2& vertex)
{
    m_vertices.push_back(vertex);
    m_complete = false;
}

const b2PolygonShape& kvPolygonShape::shape()
{
    if (m_complete)
        return m_shape;
    const int count = vertexCount();
    if (count < 3 || count > b2_maxPolygonVertices)
        throw b2Exception("3 <= count && count <= b2_maxPolygonVertices", kSourceName, __LINE__);
    // Set works on a copy so that a refused polygon leaves nothing half-built.
    b2PolygonShape completed;
    completed.Set(m_vertices.data(), count);
    m_shape = completed;
    m_complete = true;
    return m_shape;
}
