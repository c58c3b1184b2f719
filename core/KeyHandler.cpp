#include "core/KeyHandler.h"

#include "core/Messages.h"

void CKeyHandler::Set(uint8_t keyCode, uint32_t handlerFlags, void (*fn)())
{
    key = keyCode;
    flags = handlerFlags;
    function = fn;
}

void CKeyHandler::SetDelegate(IDelegate* newDelegate)
{
    if (delegate != newDelegate)
        delete delegate;
    delegate = newDelegate;
}

void CKeyHandler::Fire()
{
    if (delegate)
        delegate->Invoke();
    else if (function)
        function();
}

bool CKeyTable::FillList(CKeyHandler* const* items, int n)
{
    int given = 0;
    while (given < n && items[given])
        ++given;
    if (count + given > MAX_TABLE_HANDLERS) {
        MsgBox("PROGRAMMER LIMIT:  NumHandlers in CKeyTable::Fill.");
        return false;
    }
    for (int i = 0; i < given; ++i)
        handlers[count++] = items[i];
    return true;
}
