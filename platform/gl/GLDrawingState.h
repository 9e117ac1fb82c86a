// The drawing state every game view starts from; scene-graph nodes leave it
// as they found it.
#pragma once

// Blending on with source-alpha / one-minus-source-alpha, 2D textures on,
// vertex and texture-coordinate arrays on. Needs a current context.
void KVSetGameViewDrawingState();
