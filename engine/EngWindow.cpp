// Live windows of the window library made from script window templates.
#include "engine/Controls3D.h"

#include "engine/TexContainer.h"
#include "gui/MyButton.h"
#include "gui/MyEdit.h"
#include "gui/WinSuperior.h"

namespace {

constexpr float TIME_TO_NORMAL = 0.12f;
constexpr float TIME_TO_HIGHLIGHT = 0.2f;

} // namespace

IDelegate* CEngWindow::SetCallback(void (*function)())
{
    callback.reset(new CDelegate<CEmptyClass>(function));
    return callback.get();
}

void CEngWindow::OnClick()
{
    if (callback) callback->Invoke();
}

CBaseWin* CEngWindow::CreateOwn()
{
    IDirect3DTexture9* tex = gITexContainer ? gITexContainer->GetTexture(texture) : nullptr;
    const char* caption = text ? text.get() : "";
    CBaseWin* win = nullptr;
    switch (type) {
    case ENG_WIN_WINDOW:
        win = gWinSuperior.AddWin(x, y, w, h, nullptr, tex, source.left, source.top, source.right, source.bottom, 0, 0);
        break;
    case ENG_WIN_BUTTON:
        win = gWinSuperior.AddButton(x, y, w, h, nullptr, tex, source.left, source.top, source.right, source.bottom, 0,
                                     0);
        break;
    case ENG_WIN_LABEL:
        win = gWinSuperior.AddLabel(x, y, font, caption, normalColor, 0);
        break;
    case ENG_WIN_EDIT:
        win = gWinSuperior.AddEdit(x, y, w, h, nullptr, font, caption, normalColor, highlightColor, 0);
        break;
    default:
        return nullptr;
    }
    if (win && !IsRegistered(win)) {  // the manager is full and has said so
        delete win;
        return nullptr;
    }
    return win;
}

// A click reaches the template through a delegate of the window's own, so replacing the
// template's callback later also changes what existing windows do.
CBaseWin* CEngWindow::Create()
{
    CBaseWin* win = CreateOwn();
    if (!win) return nullptr;
    if (callback && type != ENG_WIN_LABEL) win->pOnClick = new CDelegate<CEngWindow>(this, &CEngWindow::OnClick);
    if (normalColor != highlightColor && type != ENG_WIN_LABEL)
        win->SetHoverColours(normalColor, TIME_TO_NORMAL, highlightColor, TIME_TO_HIGHLIGHT);
    win->Show(1);
    for (CEngWindow* child : children) {
        CBaseWin* childWin = child->Create();
        if (!childWin) continue;
        win->AddChilds(childWin, nullptr);
        childWin->MoveBy(x, y);
    }
    return win;
}
