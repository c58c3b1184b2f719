#pragma once
// Three small geometry classes. CTree ("TREE", type 6) plays its swinging animation while
// it is visible and turns the animated matrix by its own heading. CSprite2D ("SPRITE_2D",
// type 5) draws texture 0 as a flat screen sprite at Pos with Size as its width and
// height. CSelectPlane ("SELECT_PLANE", type 15) is the mark drawn under the units that
// carry it: the renderer hands it this frame's carriers and draws it once per carrier,
// coloured by the carrier's nation. None of them owns anything but the plane's carrier
// list; a missing animation and a carrier beyond the renderer's MaxRenderObjects are
// counted warnings.

#include "scene/Geometry.h"

#include <vector>

constexpr uint32_t SPRITE_2D_UNIT_TYPE = 5;
constexpr uint32_t TREE_UNIT_TYPE = 6;
constexpr uint32_t SELECT_PLANE_UNIT_TYPE = 15;

class CTree : public CGeometry {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override;
    // Turns the matrix a transform animation wrote this frame by the heading; without one
    // the static matrix, which holds the heading already, is rebuilt.
    uint32_t Process() override;
    void OnShow() override;
    void OnHide() override;
    void CopyFromPrototype(const CAtom* prototype) override;
    void CopyTo(CAtom* destination) const override;
    void FirstInit() override;
    // Turns the sampled world matrix by the heading the tree has now (a presentation block
    // gives it after the tree was made); a sample that wrote nothing leaves the static
    // matrix, which holds the heading already.
    void TakeSample(bool written);

    uint16_t swingAnimation = 0;
    float sinHeading = 0.0f, cosHeading = 1.0f;

private:
    void TakeHeading();
    void TurnByHeading();
    // The world matrix as the last Process left it: an animation that did not write it
    // since (paused, waiting to start) must not have it turned again.
    D3DXMATRIX processedWorld{};
    float headingTaken = 0.0f;  // the yaw the sine and cosine belong to

    bool ScanOwnProperty(FILE* file, const char* word);
};

class CSprite2D : public CGeometry {
public:
    CSprite2D();
    uint32_t Render(uint32_t pass) override;
};

// One instance as the select-plane shaders read it: a 4x3 matrix and a colour.
constexpr int INSTANCE_MATRIX_VECTORS = 3;

class CSelectPlane : public CGeometry {
public:
    ~CSelectPlane() override;
    int ScanNativePropertyes(FILE* file, const char* word) override;
    // Appends a carrier of this frame; beyond the renderer's MaxRenderObjects it is warned
    // and left out.
    void AddCarrier(CAtom* unit);
    // Takes a unit that is being deleted out of this frame's carriers.
    void ForgetCarrier(const CAtom* unit);
    // Three transposed rows and one colour per carrier, in carrier order.
    void FillInstances(D3DXVECTOR4* matrices, D3DXVECTOR4* colors) const;

    uint32_t carrierCount = 0;
    std::vector<CAtom*> carriers;  // room for the renderer's MaxRenderObjects units

private:
    bool ScanOwnProperty(FILE* file, const char* word);
    void AllocateCarriers();
};

// The select plane of a queued unit, or null.
CSelectPlane* SelectPlaneOf(CAtom* unit);
