#include "engine/Iconer.h"

#include "core/Messages.h"
#include "core/Scanner.h"
#include "engine/ClassTemplate.h"
#include "engine/Controls3D.h"
#include "engine/Engine.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Control3D.h"

#include <cstring>

CIconer* gIconer = nullptr;
CIconer* gIIconer = nullptr;

namespace {

constexpr uint8_t FRAME_ATTACH_MODE = 255;

bool Is(const char* a, const char* b) { return strcmp(a, b) == 0; }

void ScanFlags(FILE* file, uint32_t* flags)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); word[0] && !Is(word, "]"); Core::fscan_word(file, word)) {
        if (Is(word, "SelectByIcon")) *flags |= ICONS_SELECT_BY_ICON;
        else if (Is(word, "SelectOnlyOne")) *flags |= ICONS_SELECT_ONLY_ONE;
        else MsgBox3("CIconGroup::ScanData Error in 'Flags':  Undefine string '", word, "'.");
    }
}

template <class T, class Read>
void ScanBracketPair(FILE* file, T* a, T* b, Read read)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    read(file, a);
    read(file, b);
    Core::fscan_word(file, word);
}

} // namespace

int CIconGroup::ScanData(FILE* file, int32_t* budget)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); word[0] && !Is(word, "};"); Core::fscan_word(file, word)) {
        if (Is(word, "Count:")) {
            Core::fscan_u16(file, &capacity);
            icons.reset(new CIcon*[capacity + 1u]());
            count = 0;
        } else if (Is(word, "Pos:")) {
            Core::fscan_fvec3(file, &firstPos.x);
        } else if (Is(word, "ItemsWH:")) {
            ScanBracketPair(file, &columns, &rows, Core::fscan_u16);
        } else if (Is(word, "StepWH:")) {
            ScanBracketPair(file, &columnStep, &rowStep, Core::fscan_float);
        } else if (Is(word, "Flags:")) {
            ScanFlags(file, &flags);
        } else if (Is(word, "FrameUnit:")) {
            Core::fscan_word(file, word);
            framePrototype = gUnitInspector ? gUnitInspector->GetClassPrototype(word) : nullptr;
            if (!framePrototype)
                WarningBox(budget, "CIconGroup::ScanData:  FrameUnit '", word, "' can`t find.", nullptr);
        } else {
            MsgBox3("CIconGroup::ScanData Error:  Undefine string '", word, "'.");
        }
    }
    return 0;
}

void CIconGroup::PlaceIcon(CIcon* icon, const CAtom* unit)
{
    icon->Pos.x = firstPos.x + float(nextColumn) * columnStep;
    icon->Pos.y = firstPos.y + float(nextRow) * rowStep;
    icon->UpdateWorldMatrix();
    const CEngineTex* texture = gTexContainer ? gTexContainer->GetTex(icon->textures[0]) : nullptr;
    const CClassTemplate* cls = unit ? unit->classTemplate : nullptr;
    if (cls && texture && texture->texture && texture->desc.Width && texture->desc.Height) {
        icon->UvMulAdd.z = float(cls->iconLeft) / float(texture->desc.Width);
        icon->UvMulAdd.w = float(cls->iconTop) / float(texture->desc.Height);
    }
    if (++nextColumn >= columns) {
        nextColumn = 0;
        ++nextRow;
    }
}

bool CIconGroup::AddIcon(CAtom* unit, CIcon* icon, int32_t* budget)
{
    if (!icon || int(count) + 1 >= int(capacity)) {
        WarningBox(budget, "CIconer::AddIndividIcon Error:  IndividIcons is overflow.", nullptr);
        return false;
    }
    icons[++count] = icon;
    icon->unit = unit;
    PlaceIcon(icon, unit);
    if (flags & ICONS_SELECT_BY_ICON) {
        icon->SetCallback(new CDelegate<CIconGroup>(this, &CIconGroup::OnIconClick));
        icon->controlState |= CTRL_ACTIVE;
        icon->pressFlags = CTRL_PRESS_ONE_TIME;
    }
    return true;
}

CIcon* CIconGroup::IconOf(const CAtom* unit)
{
    for (int i = 1; unit && i <= count; ++i)
        if (icons[i] && icons[i]->unit == unit) return icons[i];
    return nullptr;
}

void CIconGroup::OnIconClick()
{
    CIcon* icon = gControls3D ? dynamic_cast<CIcon*>(gControls3D->pickedControl) : nullptr;
    if (!icon || !icon->unit) return;
    CAtom* unit = icon->unit;
    if (gEngine) gEngine->SelectUnit(unit, (flags & ICONS_SELECT_ONLY_ONE) != 0);
    AttachFrameUnit(unit);
}

CAtom* CIconGroup::NewFrame(CIcon* icon)
{
    const CMadeToAttach attached;
    CAtom* frame = gUnitInspector->CloneUnit(framePrototype, nullptr);
    if (frame && icon->AttachUnit(frame, FRAME_ATTACH_MODE) != 0) {
        gUnitInspector->DeleteUnit(frame);
        frame = nullptr;
    }
    return frame;
}

void CIconGroup::AttachFrameUnit(CAtom* unit)
{
    CIcon* icon = IconOf(unit);
    if (!icon || !framePrototype || !gUnitInspector) return;
    if (!(flags & ICONS_SELECT_ONLY_ONE)) {
        if (!icon->frame) icon->frame = NewFrame(icon);
    } else if (current && current->frame) {
        if (current != icon) {
            CAtom* frame = current->frame;
            current->DetachSlave(frame);
            current->frame = nullptr;
            icon->frame = icon->AttachUnit(frame, FRAME_ATTACH_MODE) == 0 ? frame : nullptr;
            if (!icon->frame) gUnitInspector->DeleteUnit(frame);
        }
    } else if (!icon->frame) {
        icon->frame = NewFrame(icon);
    }
    current = icon;
}

void CIconGroup::RemoveUnit(CAtom* unit)
{
    CIcon* icon = IconOf(unit);
    if (!icon || !icon->frame) return;
    CAtom* frame = icon->frame;
    icon->frame = nullptr;
    current = nullptr;
    if (gUnitInspector) gUnitInspector->DeleteUnit(frame);
}

void CIconGroup::Reset()
{
    count = 0;
    current = nullptr;
    nextColumn = nextRow = 0;
}

void CIconGroup::ForgetUnit(const CAtom* unit)
{
    if (framePrototype == unit) framePrototype = nullptr;
    for (int i = 1; i <= count; ++i) {
        CIcon* icon = icons[i];
        if (!icon) continue;
        if (icon == unit) {
            icons[i] = nullptr;
            if (current == icon) current = nullptr;
            continue;
        }
        if (icon->frame == unit) icon->frame = nullptr;
        if (icon->unit == unit) {
            icon->unit = nullptr;
            icon->controlState &= uint16_t(~CTRL_ACTIVE);
        }
    }
}

int CIconer::ScanIconer(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); word[0] && !Is(word, "};"); Core::fscan_word(file, word)) {
        if (Is(word, "IndividIcons")) individIcons.ScanData(file, &warningBudget);
        else MsgBox3("Undefine string for ICONER '", word, "'.");
    }
    return 0;
}

bool CIconer::AddIndividIcon(CAtom* unit, CIcon* icon)
{
    return individIcons.AddIcon(unit, icon, &warningBudget);
}

void CIconer::RegisterUnit(CAtom* unit, CAtom* iconPrototype)
{
    if (!unit || !gUnitInspector || individIcons.IconOf(unit)) return;
    CAtom* clone = gUnitInspector->CloneUnit(iconPrototype, nullptr);
    CIcon* icon = dynamic_cast<CIcon*>(clone);
    if (!icon || !AddIndividIcon(unit, icon)) {
        if (!icon && clone)
            WarningBox(&warningBudget, "CIconer::AddIndividIcon Error:  the icon class of '", unit->name,
                       "' is no ICON.", nullptr);
        if (clone) gUnitInspector->DeleteUnit(clone);
    }
}
