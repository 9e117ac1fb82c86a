// A space for a wrap-around area: it draws its contents in place and again
// one wrap width (height) over, on the side of the area where the content
// is not, so content leaving one edge shows at the opposite one. With both
// directions on, the content is drawn four times.
#pragma once

#include "engine/scenegraph/SGSpace.h"
#include "engine/scenegraph/ports/SGBooleanPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"

class SGWrapNode : public SGSpace {
public:
    // Takes the parent space's managers.
    explicit SGWrapNode(SGSpace& parent);

    SGPort* portForID(SGPortID id) override;
    void render() override;

    // Where the content is, which decides the side its copy goes to.
    SGNumberPort x;
    SGNumberPort y;
    SGBooleanPort wrapX;
    SGBooleanPort wrapY;
    SGNumberPort wrapWidth;
    SGNumberPort wrapHeight;

private:
    void renderShifted(float dx, float dy);
};
