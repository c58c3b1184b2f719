#pragma once
// Message boxes and counted warnings: every text the program shows goes through
// ShowMessageText, which a test can redirect to a recorder so no modal box ever blocks
// an unattended run. Texts are joined into the shared gMsgBuffer (2047 characters and
// the terminator); longer texts are cut, never overflowed.

#include <cstddef>

constexpr size_t MSG_BUFFER_SIZE = 2048;
extern char gMsgBuffer[MSG_BUFFER_SIZE];

// The unit classes share this warning budget.
extern int gWarningBudget;

// Where shown texts go instead of a box: returns what MessageBoxA would (IDOK).
using MessageSink = int (*)(const char* caption, const char* text);
// Installs a sink (null restores the real message box); returns the previous one.
MessageSink SetMessageSink(MessageSink sink);

// Shows one finished text with the application's caption and owner window.
int ShowMessageText(const char* text);

int MsgBox(const char* text);
int MsgBox2(const char* a, const char* b);
int MsgBox3(const char* a, const char* b, const char* c);
int MsgBox4(const char* a, const char* b, const char* c, const char* d);
int MsgBox5(const char* a, const char* b, const char* c, const char* d, const char* e);
int MsgBox6(const char* a, const char* b, const char* c, const char* d, const char* e,
            const char* f);
int MsgBox7(const char* a, const char* b, const char* c, const char* d, const char* e,
            const char* f, const char* g);
int MsgBox8(const char* a, const char* b, const char* c, const char* d, const char* e,
            const char* f, const char* g, const char* h);
int MsgBox9(const char* a, const char* b, const char* c, const char* d, const char* e,
            const char* f, const char* g, const char* h, const char* i);

// The counted warning: parts up to the first null are joined. Nothing is shown when
// *budget < 1; the warning that spends the budget carries WARNING_SKIP_TAIL.
int WarningBox(int* budget, ...);

extern const char* const WARNING_SKIP_TAIL;
