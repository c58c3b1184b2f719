#include "core/Messages.h"

#include "core/CodePage.h"
#include "core/Core.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

char gMsgBuffer[MSG_BUFFER_SIZE];
int gWarningBudget = 4;
const char* const WARNING_SKIP_TAIL = "\n\n Next this Warnings will be skiped.";

namespace {

MessageSink gSink = nullptr;
CFileMessages* gFileMessages = nullptr;

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

bool EndsInQuote(const char* part)
{
    const size_t n = part ? strlen(part) : 0;
    return n && part[n - 1] == '\'';
}

// The parts without those a quote opens: names and words, whatever they hold. A text
// given whole has its quoted spans left out instead.
std::string MessageKind(const char* const* parts, size_t count)
{
    std::string kind;
    if (count == 1) {
        bool quoted = false;
        for (const char* c = parts[0] ? parts[0] : ""; *c; ++c) {
            if (*c == '\'')
                quoted = !quoted;
            if (!quoted || *c == '\'')
                kind += *c;
        }
        return kind;
    }
    bool opened = false;  // the part before was a fixed one ending in a quote
    for (size_t i = 0; i < count; ++i) {
        const bool word = opened;
        opened = !word && EndsInQuote(parts[i]);
        if (!word && parts[i])
            kind += parts[i];
    }
    return kind;
}

// While a file is read its scope keeps the text instead of showing it now.
int ShowJoined(const char* const* parts, size_t count, size_t kindParts)
{
    JoinParts(parts, count);
    if (CFileMessages* scope = CFileMessages::Current()) {
        scope->Take(MessageKind(parts, kindParts), gMsgBuffer);
        return IDOK;
    }
    return ShowMessageText(gMsgBuffer);
}

int ShowJoined(const char* const* parts, size_t count)
{
    return ShowJoined(parts, count, count);
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
    return MessageBoxW(AppWindowConfig.hWnd, WideFrom1251(text).c_str(),
                       WideFrom1251(AppWindowConfig.applicationName).c_str(), MB_OK);
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
    // A warning is a handful of parts; more than this is cut like an over-long text.
    const char* parts[33];
    size_t count = 0;
    va_list args;
    va_start(args, budget);
    for (const char* p = va_arg(args, const char*); p && count < 32;
         p = va_arg(args, const char*))
        parts[count++] = p;
    va_end(args);
    // A repeat within a file is counted by its scope and costs no budget.
    CFileMessages* scope = CFileMessages::Current();
    if (scope && scope->Seen(MessageKind(parts, count)))
        return scope->Take(MessageKind(parts, count), nullptr), IDOK;
    --*budget;
    const size_t kindParts = count;
    if (*budget == 0)
        parts[count++] = WARNING_SKIP_TAIL;
    return ShowJoined(parts, count, kindParts);
}

CFileMessages::CFileMessages(const char* path)
    : outer_(gFileMessages), path_(path ? path : "")
{
    gFileMessages = this;
}

CFileMessages* CFileMessages::Current()
{
    return gFileMessages;
}

bool CFileMessages::Seen(const std::string& kind) const
{
    for (const SKind& k : kinds_)
        if (k.kind == kind)
            return true;
    return false;
}

bool CFileMessages::Take(const std::string& kind, const char* text)
{
    for (SKind& k : kinds_)
        if (k.kind == kind) {
            ++k.count;
            return false;
        }
    if (kinds_.size() >= FILE_MESSAGE_KINDS) {
        ++others_;
        return false;
    }
    kinds_.push_back(SKind{kind, text ? text : "", 1});
    return true;
}

// Shown directly: an enclosing file's scope does not gather what this one says.
CFileMessages::~CFileMessages()
{
    gFileMessages = outer_;
    char count[16];
    for (const SKind& k : kinds_) {
        std::string text = k.text;
        if (k.count > 1) {
            snprintf(count, sizeof count, "%d", k.count - 1);
            text = text + "\n\n " + count + " more like this in '" + path_ + "'.";
        }
        const char* parts[] = {text.c_str()};
        JoinParts(parts, 1);
        ShowMessageText(gMsgBuffer);
    }
    if (others_) {
        snprintf(count, sizeof count, "%d", others_);
        const char* parts[] = {count, " further messages about '", path_.c_str(), "' were not shown."};
        JoinParts(parts, 4);
        ShowMessageText(gMsgBuffer);
    }
}
