// Node classes for the scene-graph tests: counting computes, logging draws, recording matrices.
#pragma once

#include <GL/gl.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/scenegraph/SGRenderNode.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/ports/SGNumberPort.h"

// output = input1 + input2 + 1; counts its computes.
class CountingNode : public SGNode {
public:
    explicit CountingNode(bool* destroyed = nullptr) : SGNode(SGNodeClass::arithmeticNode), destroyed_(destroyed)
    {
        addOutputPort(&output, SGPortValueType::NUMBER);
        addInputPort(&input1, SGPortValueType::NUMBER);
        addInputPort(&input2, SGPortValueType::NUMBER);
    }
    ~CountingNode() override
    {
        if (destroyed_)
            *destroyed_ = true;
    }
    void compute() override
    {
        ++computes;
        output.setStoredValue(input1.numberValue() + input2.numberValue() + 1.0f);
    }

    SGNumberPort output, input1, input2;
    int computes = 0;

private:
    bool* destroyed_;
};

using Log = std::vector<std::string>;

// Logs "name" (and the alpha factor when not 1) when drawn, then runs `onDraw`.
class RecordingRenderNode : public SGRenderNode {
public:
    RecordingRenderNode(std::string name, Log* log, int layer = 0, bool* destroyed = nullptr)
        : SGRenderNode(SGNodeClass::spriteNode), name_(std::move(name)), log_(log), destroyed_(destroyed)
    {
        setLayer(layer);
        addInputPort(&input, SGPortValueType::NUMBER);
    }
    ~RecordingRenderNode() override
    {
        if (destroyed_)
            *destroyed_ = true;
    }
    void compute() override
    {
        setDirty(false);
        const bool faded = SGAlphaScaleFactor != 1.0f;
        log_->push_back(faded ? name_ + "@" + std::to_string(SGAlphaScaleFactor).substr(0, 3) : name_);
        if (onDraw)
            onDraw();
    }

    SGNumberPort input;
    std::function<void()> onDraw;

private:
    std::string name_;
    Log* log_;
    bool* destroyed_;
};

// Records the matrices it is drawn under.
class MatrixRecordingNode : public SGRenderNode {
public:
    using Matrix = std::array<float, 16>;  // column-major, as OpenGL keeps it

    MatrixRecordingNode() : SGRenderNode(SGNodeClass::spriteNode) {}
    void compute() override
    {
        setDirty(false);
        glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
        glGetFloatv(GL_MODELVIEW_MATRIX, modelViews.emplace_back().data());
    }

    Matrix projection{};
    std::vector<Matrix> modelViews;
};
