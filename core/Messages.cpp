#include "core/Messages.h"

#include "core/Core.h"

#include <windows.h>

#include <cstdarg>
#include <cstring>

char gMsgBuffer[MSG_BUFFER_SIZE];
int gWarningBudget = 4;
const char* const WARNING_SKIP_TAIL = "\n\n Next this Warnings will be skiped.";

namespace {

MessageSink gSink = nullptr;

// Joins the parts into gMsgBuffer, cutting at its capacity. A part may be gMsgBuffer
// itself (a caller that formatted into it), so the text is built aside first.
void JoinParts(const char* const* parts, size_t count)
{
    char joined[MSG_BUFFER_SIZE];
    size_t len = 0;
    for (size_t i = 0; i < count; ++i) {
        const char* p = parts[i];
        if (!p)
            continue;
        size_t n = strnlen(p, MSG_BUFFER_SIZE - 1 - len);
        memcpy(joined + len, p, n);
        len += n;
    }
    joined[len] = 0;
    memcpy(gMsgBuffer, joined, len + 1);
}

int ShowJoined(const char* const* parts, size_t count)
{
    JoinParts(parts, count);
    return ShowMessageText(gMsgBuffer);
}

} // namespace

MessageSink SetMessageSink(MessageSink sink)
{
    MessageSink old = gSink;
    gSink = sink;
    return old;
}

int ShowMessageText(const char* text)
{
    if (!text)
        text = "";
    if (gSink)
        return gSink(AppWindowConfig.applicationName, text);
    return MessageBoxA(AppWindowConfig.hWnd, text, AppWindowConfig.applicationName, MB_OK);
}

int MsgBox(const char* text)
{
    const char* parts[] = {text};
    return ShowJoined(parts, 1);
}

int MsgBox2(const char* a, const char* b)
{
    const char* parts[] = {a, b};
    return ShowJoined(parts, 2);
}

int MsgBox3(const char* a, const char* b, const char* c)
{
    const char* parts[] = {a, b, c};
    return ShowJoined(parts, 3);
}

int MsgBox4(const char* a, const char* b, const char* c, const char* d)
{
    const char* parts[] = {a, b, c, d};
    return ShowJoined(parts, 4);
}

int MsgBox5(const char* a, const char* b, const char* c, const char* d, const char* e)
{
    const char* parts[] = {a, b, c, d, e};
    return ShowJoined(parts, 5);
}

int MsgBox6(const char* a, const char* b, const char* c, const char* d, const char* e,
            const char* f)
{
    const char* parts[] = {a, b, c, d, e, f};
    return ShowJoined(parts, 6);
}

int MsgBox7(const char* a, const char* b, const char* c, const char* d, const char* e,
            const char* f, const char* g)
{
    const char* parts[] = {a, b, c, d, e, f, g};
    return ShowJoined(parts, 7);
}

int MsgBox8(const char* a, const char* b, const char* c, const char* d, const char* e,
            const char* f, const char* g, const char* h)
{
    const char* parts[] = {a, b, c, d, e, f, g, h};
    return ShowJoined(parts, 8);
}

int MsgBox9(const char* a, const char* b, const char* c, const char* d, const char* e,
            const char* f, const char* g, const char* h, const char* i)
{
    const char* parts[] = {a, b, c, d, e, f, g, h, i};
    return ShowJoined(parts, 9);
}

int WarningBox(int* budget, ...)
{
    if (!budget || *budget < 1)
        return 0;
    --*budget;
    // A warning is a handful of parts; more than this is cut like an over-long text.
    const char* parts[33];
    size_t count = 0;
    va_list args;
    va_start(args, budget);
    for (const char* p = va_arg(args, const char*); p && count < 32;
         p = va_arg(args, const char*))
        parts[count++] = p;
    va_end(args);
    if (*budget == 0)
        parts[count++] = WARNING_SKIP_TAIL;
    return ShowJoined(parts, count);
}
