#include "engine/Controls3D.h"

#include "core/Messages.h"

#include <algorithm>

CControls3D* gControls3D = nullptr;
IControls3D* gIControls3D = nullptr;

int CControls3D::AddFrameControl(CAtom* unit)
{
    if (frameControls.size() >= MAX_FRAME_CONTROLS) {
        if (!limitReported) MsgBox("PROGRAMMER LIMIT: MAX_FRAME_CONTROLS.");
        limitReported = true;
        return -1;
    }
    if (frameControls.capacity() == 0) frameControls.reserve(64);
    frameControls.push_back(unit);
    return 0;
}

void CControls3D::ForgetUnit(const CAtom* unit)
{
    frameControls.erase(std::remove(frameControls.begin(), frameControls.end(), unit), frameControls.end());
}
