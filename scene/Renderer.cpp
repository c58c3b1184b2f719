#include "scene/Renderer.h"

CRenderer* gRenderer = nullptr;
IRenderer* gIRenderer = nullptr;

void CRenderer::SetViewport(int x, int y, int width, int height)
{
    viewport.X = DWORD(x);
    viewport.Y = DWORD(y);
    viewport.Width = DWORD(width);
    viewport.Height = DWORD(height);
}

// Without glow targets glowing can only be off.
int CRenderer::EnableGlowing(int on)
{
    return on ? -1 : 0;
}
