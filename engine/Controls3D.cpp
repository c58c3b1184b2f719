#include "engine/Controls3D.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/FontContainer.h"
#include "engine/Saves.h"
#include "gui/WinSuperior.h"
#include "engine/SectionScan.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Control3D.h"

#include <algorithm>
#include <cstring>
#include <iterator>

CControls3D* gControls3D = nullptr;
IControls3D* gIControls3D = nullptr;

namespace {

bool Is(const char* a, const char* b) { return strcmp(a, b) == 0; }

// "[" a b "]" of a window template.
void ScanPair(FILE* file, int32_t* a, int32_t* b)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    Core::fscan_int(file, a);
    Core::fscan_int(file, b);
    Core::fscan_word(file, word);
}

void InitPool(bool ok, const char* key)
{
    if (!ok) MsgBox3("CControls3D::FirstScan :  '", key, "' must be 0..65535.");
}

} // namespace

IControl3D* CControlGroup::FindControl(const char* name)
{
    for (int i = 0; i < count; ++i)
        if (controls[i] && Is(controls[i]->name, name)) return controls[i];
    return nullptr;
}

IControl3D* CControls3D::GetControlTemplate(const char* name)
{
    CControl3D** found = controlTemplates.FindByName(name);
    return found ? *found : nullptr;
}

int CControls3D::FirstScan(FILE* file)
{
    int32_t controls = 0, active = 0, groupCount = 0, windows = 0, live = 0;
    const SSectionKey keys[] = {{"ControlCount:", &controls},
                                {"ActiveControls:", &active},
                                {"ControlGroups:", &groupCount},
                                {"WindowTemplates:", &windows},
                                {"ActiveWindows:", &live}};
    ScanCountSection(file, keys, std::size(keys));
    ForgetRecords();
    InitPool(controlTemplates.Init(controls), "ControlCount:");
    InitPool(activeControls.Init(active), "ActiveControls:");
    InitPool(groups.Init(groupCount), "ControlGroups:");
    InitPool(windowTemplates.Init(windows), "WindowTemplates:");
    InitPool(liveWindows.Init(live), "ActiveWindows:");
    return 0;
}

// A repeated section sizes the pools afresh: nothing may keep pointing at the groups and
// window templates that go with the old ones.
void CControls3D::ForgetRecords()
{
    for (int i = 1; i <= int(activeControls.Count()); ++i)
        if (activeControls.InUse(i) && *activeControls.At(i)) (*activeControls.At(i))->group = nullptr;
    Reset();
    if (gSaves) gSaves->ForgetLayout();
}

int CControls3D::ScanControlGroup(FILE* file)
{
    CControlGroup* group = nullptr;
    const uint16_t index = groups.Add(group);
    if (!index) {
        WarningBox(&warningBudget, "Controls3D:  ControlGroups limit is exceed.", nullptr);
        gExitCode = 1;
        return 0;
    }
    *group = CControlGroup();
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    StrCopy(group->name, sizeof group->name, word);
    Core::fscan_word(file, word);  // "{"
    CControl3D* collected[MAX_GR_CONTROLS] = {};
    int count = 0;
    bool overflow = false;  // the rest of the object is read but nothing is kept
    for (Core::fscan_word(file, word); word[0] && !Is(word, "};"); Core::fscan_word(file, word)) {
        if (!Is(word, "Controls:")) continue;
        Core::fscan_word(file, word);  // "{"
        for (Core::fscan_word(file, word); word[0] && !Is(word, "};"); Core::fscan_word(file, word)) {
            if (overflow) continue;
            if (count == MAX_GR_CONTROLS) {
                MsgBox("PROGRAMMER LIMIT: MAX_GR_CONTROLS.");
                overflow = true;
                continue;
            }
            CAtom* prototype = gUnitInspector ? gUnitInspector->GetClassPrototype(word) : nullptr;
            collected[count++] = dynamic_cast<CControl3D*>(prototype);
        }
    }
    if (overflow) return 0;
    std::copy(collected, collected + count, group->controls);
    group->count = uint16_t(count);
    return index;
}

int CControls3D::ScanWindow(FILE* file, uint32_t type)
{
    CEngWindow* window = nullptr;
    if (!windowTemplates.Add(window)) {
        WarningBox(&warningBudget, "Controls3D:  WindowTemplates limit is exceed.", nullptr);
        gExitCode = 1;
        return -1;
    }
    *window = CEngWindow();
    window->type = type;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    StrCopy(window->name, sizeof window->name, word);
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); word[0] && !Is(word, "};"); Core::fscan_word(file, word)) {
        if (Is(word, "XY:")) {
            ScanPair(file, &window->x, &window->y);
        } else if (Is(word, "WH:")) {
            ScanPair(file, &window->w, &window->h);
        } else if (Is(word, "RECT:")) {
            int32_t rect[4] = {};
            Core::fscan_rect(file, rect);
            window->source = CIntRect(rect[0], rect[1], rect[2], rect[3]);
        } else if (Is(word, "HighLight:")) {
            Core::fscan_word(file, word);
            Core::fscan_hex(file, &window->normalColor);
            Core::fscan_hex(file, &window->highlightColor);
            Core::fscan_word(file, word);
        } else if (Is(word, "Texture:")) {
            window->texture = gTexContainer ? gTexContainer->ScanTexture(file, 0) : 0;
        } else if (Is(word, "Text:")) {
            char value[Core::STRING_BUFFER_SIZE];
            Core::fscan_string(file, value);
            window->text.reset(new char[ENG_WINDOW_TEXT_SIZE]);
            StrCopy(window->text.get(), ENG_WINDOW_TEXT_SIZE, value);
        } else if (Is(word, "Font:")) {
            Core::fscan_word(file, word);
            CEngFont* font = gFontContainer ? gFontContainer->FindFont(word) : nullptr;
            window->font = font ? &font->font : nullptr;
            if (!font)
                WarningBox(&warningBudget, "CControls3D::ScanWindow Error: can`t find font: '", word, "'.", nullptr);
        } else if (Is(word, "Parent:")) {
            Core::fscan_word(file, word);
            CEngWindow* parent = FindWindowTemplate(word);
            if (parent && parent != window) parent->children.push_back(window);
            else
                WarningBox(&warningBudget, "CControls3D::ScanWindow Error: can`t find parent window: '", word, "'.",
                           nullptr);
        }
    }
    return 0;
}

void CControls3D::AddControlTemplate(CControl3D* prototype)
{
    if (!prototype) return;
    CControl3D** slot = controlTemplates.Add();
    if (!slot) {
        WarningBox(&warningBudget, "CControls3D::AddControlTemplate: Controls limit is exceed.", nullptr);
        return;
    }
    *slot = prototype;
}

template <class Visit>
void CControls3D::ForEachActiveOf(const CControlGroup* group, Visit visit)
{
    if (!group) return;
    for (int i = 1; i <= int(activeControls.Count()); ++i) {
        if (!activeControls.InUse(i)) continue;
        CControl3D* control = *activeControls.At(i);
        if (control && control->group == group) visit(*control);
    }
}

void CControls3D::CreateActivateControls(CControlGroup* group)
{
    if (!group || !gUnitInspector) return;
    for (int i = 0; i < group->count; ++i) {
        if (!group->controls[i]) continue;  // its class does not exist
        CControl3D* control = dynamic_cast<CControl3D*>(gUnitInspector->CloneUnit(group->controls[i], nullptr));
        if (!control) continue;
        control->group = group;
        CControl3D** slot = activeControls.Add();
        if (!slot) {
            WarningBox(&warningBudget, "CControls3D::CreateActivateControls: ActiveControls limit is exceed.",
                       nullptr);
            continue;
        }
        *slot = control;
        control->controlState |= CTRL_ACTIVE;
    }
}

void CControls3D::DisableGroupControls(CControlGroup* group, int mode)
{
    ForEachActiveOf(group, [mode](CControl3D& control) {
        if (mode == 0) control.state |= UNIT_DISABLED;
        else control.controlState &= uint16_t(~CTRL_ACTIVE);
    });
}

void CControls3D::EnableGroupControls(CControlGroup* group)
{
    ForEachActiveOf(group, [](CControl3D& control) {
        if (control.controlState & CTRL_ACTIVE) control.state &= ~uint32_t(UNIT_DISABLED);
        else control.controlState |= CTRL_ACTIVE;
    });
}

CBaseWin* CControls3D::CreateEngineWindow(CEngWindow* windowTemplate)
{
    CBaseWin* window = windowTemplate ? windowTemplate->Create() : nullptr;
    if (!window) return nullptr;
    CBaseWin** slot = liveWindows.Add();
    if (!slot) {
        WarningBox(&warningBudget, "CControls3D::CreateEngineWindow: ActiveWindows limit is exceed.", nullptr);
        // Unrecorded, nothing would delete it before its template goes, and its clicks
        // call the template.
        gWinSuperior.DeleteWin(&window);
        return nullptr;
    }
    *slot = window;
    return window;
}

void CControls3D::DestroyEngineWindow(CBaseWin* window)
{
    if (!window) return;
    const uint16_t index = liveWindows.Remove(window);
    if (!index) return;
    *liveWindows.At(index) = nullptr;
    DeleteLiveWindow(window);
}

// The save dialog holds its window too: it must not be left pointing at a deleted one.
void CControls3D::DeleteLiveWindow(CBaseWin* window)
{
    if (gSaves && gSaves->dialog == window) gSaves->dialog = nullptr;
    gWinSuperior.DeleteWin(&window);
}

void CControls3D::EnsureActiveControls()
{
    if (frameControls.capacity() == 0) frameControls.reserve(std::max<size_t>(controlTemplates.Capacity(), 64));
}

void CControls3D::DeleteLiveWindows()
{
    for (int i = 1; i <= int(liveWindows.Count()); ++i) {
        CBaseWin** slot = liveWindows.At(i);
        if (!liveWindows.InUse(i) || !*slot) continue;
        CBaseWin* window = *slot;
        *slot = nullptr;
        DeleteLiveWindow(window);
    }
    liveWindows.Clear();
}

void CControls3D::Reset()
{
    pickedControl = hoveredControl = pressedControl = nullptr;
    DeleteLiveWindows();
    activeControls.Clear();
    frameControls.clear();
}

void CControls3D::ForgetFonts()
{
    bool held = false;
    for (int i = 1; i <= int(windowTemplates.Count()); ++i) {
        CEngWindow* windowTemplate = windowTemplates.At(i);
        held = held || windowTemplate->font;
        windowTemplate->font = nullptr;
    }
    if (!held) return;
    if (gSaves && gSaves->dialog) gSaves->Hide();  // which switches the main menu back on
    DeleteLiveWindows();
}

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
    for (int i = 1; i <= int(activeControls.Count()); ++i) {
        CControl3D** slot = activeControls.At(i);
        if (activeControls.InUse(i) && *slot == unit) {
            activeControls.Free(i);
            *slot = nullptr;
        }
    }
    if (pickedControl == unit) pickedControl = nullptr;
    if (hoveredControl == unit) hoveredControl = nullptr;
    if (pressedControl == unit) pressedControl = nullptr;
    // A prototype going with its class template (a repeated registry section).
    for (int i = 1; i <= int(controlTemplates.Count()); ++i) {
        CControl3D** slot = controlTemplates.At(i);
        if (controlTemplates.InUse(i) && *slot == unit) {
            controlTemplates.Free(i);
            *slot = nullptr;
        }
    }
    for (int i = 1; i <= int(groups.Count()); ++i) {
        if (!groups.InUse(i)) continue;
        CControlGroup* group = groups.At(i);
        for (CControl3D*& control : group->controls)
            if (control == unit) control = nullptr;
    }
}
