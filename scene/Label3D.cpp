#include "scene/Control3D.h"

#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/FontContainer.h"
#include "engine/TexContainer.h"

#include <cstring>

namespace {

constexpr D3DCOLOR LABEL_BACKGROUND = 0x00FFFFFF;
constexpr D3DCOLOR LABEL_TEXT_COLOR = 0xFFFFFFFF;

bool Is(const char* a, const char* b) { return strcmp(a, b) == 0; }

struct SAlignWord {
    const char* word;
    uint32_t bits;
};
const SAlignWord ALIGN_WORDS[] = {{"Left", 0}, {"Center", DT_CENTER}, {"Right", DT_RIGHT}};
static_assert(std::size(ALIGN_WORDS) == 3, "label alignments");

uint32_t ScanAlign(FILE* file)
{
    uint32_t format = LABEL_FORMAT_DEFAULT;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); word[0] && !Is(word, "]"); Core::fscan_word(file, word))
        for (const SAlignWord& align : ALIGN_WORDS)
            if (Is(word, align.word)) format |= align.bits;
    return format;
}

} // namespace

int CLabel3D::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CControl3D::ScanNativePropertyes(f, w); });
}

bool CLabel3D::ScanOwnProperty(FILE* file, const char* word)
{
    if (Is(word, "Text:")) {
        char value[Core::STRING_BUFFER_SIZE];
        Core::fscan_string(file, value);
        StrCopy(text, sizeof text, value);
    } else if (Is(word, "Font:")) {
        char value[Core::WORD_BUFFER_SIZE];
        Core::fscan_word(file, value);
        font = gFontContainer ? gFontContainer->FindFontIndex(value) : 0;
        if (!font)
            WarningBox(&gWarningBudget, "CLabel3D::ScanNativePropertyes Error: can`t find font: '", value, "'.",
                       nullptr);
    } else if (Is(word, "Align:")) {
        format = ScanAlign(file);
    } else {
        return false;
    }
    return true;
}

void CLabel3D::CopyLabelTo(CLabel3D* destination) const
{
    destination->font = font;
    destination->format = format;
    memcpy(destination->text, text, sizeof text);
}

void CLabel3D::CopyFromPrototype(const CAtom* prototype)
{
    CControl3D::CopyFromPrototype(prototype);
    if (const CLabel3D* from = dynamic_cast<const CLabel3D*>(prototype)) from->CopyLabelTo(this);
}

void CLabel3D::CopyTo(CAtom* destination) const
{
    CControl3D::CopyTo(destination);
    if (CLabel3D* to = dynamic_cast<CLabel3D*>(destination)) CopyLabelTo(to);
}

void CLabel3D::FirstInit()
{
    CControl3D::FirstInit();
    char own[LABEL_TEXT_SIZE];
    memcpy(own, text, sizeof own);
    SetText(own);
}

void CLabel3D::SetText(const char* newText)
{
    StrCopy(text, sizeof text, newText ? newText : "");
    controlState |= CTRL_REDRAW;
}

void CLabel3D::Redraw()
{
    const CEngineTex* record = gTexContainer ? gTexContainer->GetTex(textures[0]) : nullptr;
    IDirect3DTexture9* texture = record ? record->Texture2D() : nullptr;
    if (!texture || !(record->desc.Usage & D3DUSAGE_RENDERTARGET) || !Device3D) return;
    D3DVIEWPORT9 saved;
    Device3D->GetViewport(&saved);
    gGraphics.BeginOffscreen(texture, nullptr, false);
    const int w = int(record->desc.Width), h = int(record->desc.Height);
    gGraphics.SetViewport(0, 0, w, h);
    gGraphics.Clear(LABEL_BACKGROUND);
    CEngFont* labelFont = gFontContainer ? gFontContainer->GetFont(font) : nullptr;
    if (labelFont && text[0]) labelFont->font.DrawFormatted(text, RECT{0, 0, w, h}, LABEL_TEXT_COLOR, format);
    gGraphics.EndOffscreen();
    gGraphics.SetViewportEx(saved);
}
