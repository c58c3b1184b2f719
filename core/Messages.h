#pragma once
// Message boxes and counted warnings: every text the program shows goes through
// ShowMessageText, which a test can redirect to a recorder so no modal box ever blocks
// an unattended run. Texts are joined into the shared gMsgBuffer (2047 characters and
// the terminator); longer texts are cut, never overflowed. While a file is read, a
// CFileMessages scope gathers its messages so each kind is said once per file.

#include <cstddef>
#include <string>
#include <vector>

constexpr size_t MSG_BUFFER_SIZE = 2048;
extern char gMsgBuffer[MSG_BUFFER_SIZE];

// The unit classes share this warning budget.
extern int gWarningBudget;

// Where shown texts (code page 1251) go instead of a box: returns what the box would (IDOK).
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

// The messages raised while one file is read. A message's kind is its text without the
// names and words it quotes (a part that follows a part ending in a quote), so "undefine
// string 'a'" and "undefine string 'b'" are one kind, whatever a and b hold; the first
// message of a kind is kept, later ones are only counted, and a
// counted warning of a kind already kept spends no budget. When the scope ends each kept
// message is shown once, in the order first raised, with the number of further ones.
// Scopes nest, one per file (an included file has its own); messages go to the innermost.
// At most FILE_MESSAGE_KINDS kinds are kept per file; further kinds are counted and
// summed up in one last message.
class CFileMessages {
public:
    static constexpr size_t FILE_MESSAGE_KINDS = 16;

    explicit CFileMessages(const char* path);
    ~CFileMessages();
    CFileMessages(const CFileMessages&) = delete;
    CFileMessages& operator=(const CFileMessages&) = delete;

    // The innermost open scope, or null.
    static CFileMessages* Current();
    // Takes a message of the kind; false when it is a repeat (counted, not kept).
    bool Take(const std::string& kind, const char* text);
    bool Seen(const std::string& kind) const;

private:
    struct SKind {
        std::string kind, text;
        int count;
    };
    CFileMessages* outer_;
    std::string path_;
    std::vector<SKind> kinds_;
    int others_ = 0;
};
