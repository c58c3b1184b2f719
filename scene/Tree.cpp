#include "scene/Tree.h"

#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/VecMath.h"
#include "engine/AnimContainer.h"
#include "engine/Engine.h"
#include "engine/Nations.h"
#include "engine/TexContainer.h"
#include "scene/Renderer.h"
#include "scene/Unit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint8_t PLACE_ON_SEA = 4;
constexpr int SPRITE_SAVED_REGISTERS = 8;

// The first three columns of a matrix as rows (its transpose cut to 4x3).
void WriteTransposedRows(D3DXVECTOR4* out, const D3DXMATRIX& m)
{
    for (int column = 0; column < INSTANCE_MATRIX_VECTORS; ++column)
        out[column] = D3DXVECTOR4(m(0, column), m(1, column), m(2, column), m(3, column));
}

D3DXCOLOR NationColor(const CAtom* carrier)
{
    const D3DXCOLOR neutral(0.7f, 0.7f, 0.7f, 1.0f);
    if (!gNations) return neutral;
    if (carrier->nation && carrier->nation == gNations->gamerNation) return gNations->OurColor;
    return gNations->NeutralColor;
}

} // namespace

// ---- CTree ----

int CTree::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CGeometry::ScanNativePropertyes(f, w); });
}

bool CTree::ScanOwnProperty(FILE* file, const char* word)
{
    if (!StrEqual(word, "SwingingAnimation:")) return false;
    char animation[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, animation);
    swingAnimation = gIAnimContainer ? gIAnimContainer->FindAnimFileIndex(animation) : 0;
    if (!swingAnimation)
        WarningBox(&gWarningBudget, "CTree::ScanNativePropertyes Error: for UNIT '", name, "' not found animation '",
                   animation, "'.", nullptr);
    return true;
}

void CTree::CopyFromPrototype(const CAtom* prototype)
{
    CGeometry::CopyFromPrototype(prototype);
    if (const auto* tree = dynamic_cast<const CTree*>(prototype)) swingAnimation = tree->swingAnimation;
}

void CTree::CopyTo(CAtom* destination) const
{
    CGeometry::CopyTo(destination);
    if (auto* tree = dynamic_cast<CTree*>(destination)) tree->swingAnimation = swingAnimation;
}

void CTree::FirstInit()
{
    CGeometry::FirstInit();
    TakeHeading();
}

void CTree::TakeHeading()
{
    headingTaken = Orient.y;
    sinHeading = sinf(Orient.y);
    cosHeading = cosf(Orient.y);
}

void CTree::OnShow()
{
    if (swingAnimation) AddAnimation(swingAnimation, 0);
}

void CTree::OnHide()
{
    CGeometry::OnHide();
    RemoveAllAnimations();
}

// Only a transform animation writes the matrix; under any other the static matrix, which
// holds the heading already, stays.
uint32_t CTree::Process()
{
    if (!FirstTransformAnimation(this))
        UpdateWorldMatrix();
    else if (memcmp(&world, &processedWorld, sizeof world) != 0)
        TurnByHeading();
    processedWorld = world;
    return 0;
}

void CTree::TakeSample(bool written)
{
    if (written) {
        TurnByHeading();
        return;
    }
    UpdateWorldMatrix();
    processedWorld = world;
}

void CTree::TurnByHeading()
{
    if (Orient.y != headingTaken) TakeHeading();
    const float s = sinHeading, c = cosHeading;
    D3DXMATRIX& m = world;
    const float m11 = m._11, m13 = m._13, m31 = m._31, m33 = m._33;
    m._11 = m11 * c + m13 * s;
    m._13 = m13 * c - m11 * s;
    m._31 = m31 * c + m33 * s;
    m._33 = m33 * c - m31 * s;
    processedWorld = world;
}

// ---- CSprite2D ----

CSprite2D::CSprite2D()
{
    SysControls |= SYS_RENDER_ALWAYS;
}

// The sprite shader uses the first eight vertex registers; the scene's values come back.
uint32_t CSprite2D::Render(uint32_t)
{
    IDirect3DTexture9* texture = textures[0] && gITexContainer ? gITexContainer->GetTexture(textures[0]) : nullptr;
    if (!texture || !Device3D) return 0;
    D3DSURFACE_DESC desc{};
    if (FAILED(texture->GetLevelDesc(0, &desc)) || !desc.Width || !desc.Height) return 0;
    float saved[SPRITE_SAVED_REGISTERS][4];
    Device3D->GetVertexShaderConstantF(0, &saved[0][0], SPRITE_SAVED_REGISTERS);
    gGraphics.DrawSprite(Pos.x, Pos.y, texture, nullptr, Size.x / float(desc.Width), Size.y / float(desc.Height),
                         D3DCOLOR(Color), SPRITE_BLEND);
    Device3D->SetVertexShaderConstantF(0, &saved[0][0], SPRITE_SAVED_REGISTERS);
    return 0;
}

// ---- CSelectPlane ----

CSelectPlane* SelectPlaneOf(CAtom* unit)
{
    const CUnit* carrier = AsUnit(unit);
    return carrier ? dynamic_cast<CSelectPlane*>(carrier->selectPlane) : nullptr;
}

CSelectPlane::~CSelectPlane()
{
    if (gRenderer) gRenderer->RemoveSelectPlane(this);
}

int CSelectPlane::ScanNativePropertyes(FILE* file, const char* word)
{
    AllocateCarriers();
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CGeometry::ScanNativePropertyes(f, w); });
}

bool CSelectPlane::ScanOwnProperty(FILE*, const char* word)
{
    return StrEqual(word, "blabla");
}

// The plane is drawn by the renderer from the moment its class is read.
void CSelectPlane::AllocateCarriers()
{
    if (!carriers.empty() || !gRenderer) return;
    carriers.resize(size_t(std::max(gRenderer->MaxRenderObjects, 0)));
    gRenderer->AddSelectPlane(this);
}

void CSelectPlane::AddCarrier(CAtom* unit)
{
    if (carrierCount >= carriers.size()) {
        WarningBox(&gWarningBudget, "CSelectPlane::AddCarrier: ctCarriers is overflow.", nullptr);
        return;
    }
    carriers[carrierCount++] = unit;
}

void CSelectPlane::ForgetCarrier(const CAtom* unit)
{
    const auto end = carriers.begin() + carrierCount;
    carrierCount = uint32_t(std::remove(carriers.begin(), end, unit) - carriers.begin());
}

// By the placement of the first carrier: on the sea, each carrier's position turned by its
// yaw at the sea height; otherwise each carrier's world matrix.
void CSelectPlane::FillInstances(D3DXVECTOR4* matrices, D3DXVECTOR4* colors) const
{
    if (!carrierCount) return;
    const bool onSea = carriers[0]->placeMode == PLACE_ON_SEA;
    for (uint32_t i = 0; i < carrierCount; ++i) {
        const CAtom* carrier = carriers[i];
        D3DXMATRIX m = carrier->world;
        if (onSea) {
            const D3DXVECTOR4 position(carrier->Pos.x, gEngine ? gEngine->SeaHeight() : carrier->Pos.y,
                                       carrier->Pos.z, 1.0f);
            MatrixRotYPos(&m, position, carrier->Orient.y);
        }
        WriteTransposedRows(matrices + i * INSTANCE_MATRIX_VECTORS, m);
        const D3DXCOLOR color = NationColor(carrier);
        colors[i] = D3DXVECTOR4(color.r, color.g, color.b, color.a);
    }
}
