#pragma once
// Binding the application's objects to window events: each binder deletes the window's
// delegate for that event and stores a new one (the window owns it).

#include "core/Delegates.h"
#include "gui/BaseWin.h"

template <class T>
void BindClickDelegate(CBaseWin* win, T* object, void (T::*method)())
{
    delete win->pOnClick;
    win->pOnClick = new CDelegate<T>(object, method);
}

inline void BindClickDelegate(CBaseWin* win, WinFn function)
{
    delete win->pOnClick;
    win->pOnClick = new CDelegate<CEmptyClass>(function);
}

template <class T>
void BindHoverDelegate(CBaseWin* win, T* object, void (T::*method)())
{
    delete win->pOnHover;
    win->pOnHover = new CDelegate<T>(object, method);
}

template <class T>
void BindRightClickDelegate(CBaseWin* win, T* object, void (T::*method)())
{
    delete win->pOnRightClick;
    win->pOnRightClick = new CDelegate<T>(object, method);
}

inline void BindFrameDelegate(CBaseWin* win, WinFn function)
{
    delete win->pOnFrame;
    win->pOnFrame = new CDelegate<CEmptyClass>(function);
}

// Retargets the click delegate made for objects of T; any other delegate stays.
template <class T>
void SetClickDelegateObject(CBaseWin* win, T* object)
{
    if (auto* delegate = dynamic_cast<CDelegate<T>*>(win->pOnClick)) delegate->SetObject(object);
}

// Called when the click delegate could not call (no object).
inline void SetClickFallback(CBaseWin* win, WinFn function) { win->fnAfterClick = function; }
