#include "scene/Renderer.h"

#include "core/Messages.h"
#include "core/Scanner.h"
#include "engine/Controls3D.h"
#include "scene/Atom.h"

#include <algorithm>

#include <cstring>

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

void CRenderer::ResetFrame()
{
    for (CAtom* unit : queued)
        unit->state &= ~uint32_t(UNIT_QUEUED);
    queued.clear();
    reflectionCasters.clear();
    shadowCameras.clear();
    shadowCasters.clear();
    shadowReceivers = 0;
    if (gControls3D) gControls3D->ClearFrameControls();
}

void CRenderer::ResetQueues()
{
    queued.clear();
    reflectionCasters.clear();
    shadowCameras.clear();
    shadowCasters.clear();
    shadowReceivers = 0;
}

void CRenderer::ForgetUnit(const CAtom* unit)
{
    for (std::vector<CAtom*>* list : {&queued, &reflectionCasters, &shadowCameras, &shadowCasters})
        list->erase(std::remove(list->begin(), list->end(), unit), list->end());
}

void CRenderer::PutInRenderQueue(CAtom* unit)
{
    if (!unit || (unit->state & UNIT_QUEUED)) return;
    unit->state |= UNIT_QUEUED;
    queued.push_back(unit);
    if (unit->state & UNIT_VISIBLE) return;
    unit->state |= UNIT_VISIBLE;
    unit->OnShow();
}

// Sub-blocks ("TextureAddresses:", "TextureFilters:") open with a word of their own and
// end with "};" like the block itself.
int CRenderer::ScanRenderStates(FILE* file, CRenderStatesBlock*)
{
    WarningBox(&warningBudget, "CRenderer::ScanRenderStates:  render states can't be read yet: skipped.",
               nullptr);
    char word[Core::WORD_BUFFER_SIZE];
    int depth = 1;
    for (Core::fscan_word(file, word); word[0]; Core::fscan_word(file, word)) {
        if (strcmp(word, "TextureAddresses:") == 0 || strcmp(word, "TextureFilters:") == 0) {
            Core::fscan_word(file, word);
            ++depth;
        } else if (strcmp(word, "};") == 0 && --depth == 0) {
            break;
        }
    }
    return 0;
}
