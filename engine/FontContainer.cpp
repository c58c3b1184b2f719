#include "engine/FontContainer.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/Controls3D.h"
#include "engine/SectionScan.h"

#include <cstring>

CFontContainer* gFontContainer = nullptr;
IFontContainer* gIFontContainer = nullptr;

CFontContainer::~CFontContainer() { ReleaseAll(); }

void CFontContainer::ReleaseAll()
{
    for (int i = 1; i <= int(fonts.Count()); ++i) fonts.At(i)->font.Release();
}

CEngFont* CFontContainer::FindFont(const char* name) { return fonts.FindByName(name); }

uint16_t CFontContainer::FindFontIndex(const char* name)
{
    const CEngFont* font = FindFont(name);
    return font ? uint16_t(font - fonts.Data()) : 0;
}

CEngFont* CFontContainer::GetFont(uint16_t index) { return fonts.At(index); }

int CFontContainer::FirstScan(FILE* file)
{
    int32_t count = 0;
    ScanCountSection(file, "Count:", &count);
    ReleaseAll();  // a second section must not drop the first one's device objects
    if (gControls3D) gControls3D->ForgetFonts();
    if (!fonts.Init(count)) MsgBox("CFontContainer::FirstScan :  'Count:' must be 0..65535.");
    return 0;
}

uint16_t CFontContainer::AddFont(FILE* file)
{
    CEngFont* font = nullptr;
    const uint16_t index = fonts.Add(font);
    if (!index) {
        WarningBox(&warningBudget, "FontContainer:  fonts limit is exceed.", nullptr);
        gExitCode = 1;
        return 0;
    }
    *font = CEngFont();
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    StrCopy(font->name, sizeof font->name, word);
    Core::fscan_word(file, word);  // "{"
    char face[Core::STRING_BUFFER_SIZE] = "";
    for (Core::fscan_word(file, word); word[0] && strcmp(word, "};") != 0; Core::fscan_word(file, word)) {
        if (!strcmp(word, "Name:")) Core::fscan_string(file, face);
        else if (!strcmp(word, "Height:")) Core::fscan_int(file, &font->height);
        else if (!strcmp(word, "Width:")) Core::fscan_int(file, &font->width);
        else if (!strcmp(word, "Bold")) font->flags |= FONT_BOLD;
        else if (!strcmp(word, "Italic")) font->flags |= FONT_ITALIC;
        else if (!strcmp(word, "NonAntialias")) font->flags |= FONT_NOT_ANTIALIASED;
        else WarningBox(&warningBudget, "CFontContainer::AddFont :  Undefine string '", word, "'.", nullptr);
    }
    font->font.Create(font->height, font->width, face, int(font->flags));
    return index;
}
