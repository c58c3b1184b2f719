#pragma once
// CRenderer: draws one frame of the scene. During the engine's process step the unit walk
// sorts the visible units into its frame lists (render queues, reflection casters, shadow
// casters and cameras, lights); during the render step it walks the queues in order and
// draws each unit with its class's render states, the 3D controls last. It reads the
// "Renderer" script section and the "RenderStates:" blocks. The lists hold unit pointers
// for one frame only and own nothing: a unit deleted during the frame is taken out of
// every list (ForgetUnit). Limits and bad units are counted warnings (budget 2) and drop
// the unit for this frame; a bad section value is a message box and the value stays.

#include "core/GraphicsTypes.h"
#include "scene/RenderStatesBlock.h"

#include <d3dx9.h>

#include <cstdint>
#include <cstdio>
#include <vector>

class CAnimInstance;
class CAtom;
class CClassTemplate;
class CGeometry;
class CSelectPlane;
class CShadowCamera;
struct CMesh;

class IRenderer {
public:
    virtual ~IRenderer() = default;
    virtual void SetPaused(int paused) = 0;
    virtual void SetViewport(int x, int y, int width, int height) = 0;
    // 0 after turning glowing off, or on with its targets; -1 (and off) without them.
    virtual int EnableGlowing(int on) = 0;

    D3DXCOLOR ClearColor{0, 0, 0, 1};
};

// One render queue: its units in the order they were queued (null where a unit was
// deleted during the frame).
struct SRenderQueue {
    int count = 0;
    std::vector<CAtom*> units;  // InQueueCount slots
};

constexpr int MAX_SHADOW_CAMERAS = 32;
constexpr int MAX_BONES_PER_OBJECT = 64;
constexpr int BONE_FLOATS = 12;  // a 4x3 matrix
constexpr int PALETTE_START = 4;
constexpr int FRAME_LIGHTS_START = 64;
// Shader tables hold the address of each light array, so the arrays never move; lights
// beyond this many in one frame are warned and left out.
constexpr int MAX_RENDER_LIGHTS = 64;
constexpr int ANIM_FACTOR_SLOTS = 4;
constexpr int UV_STAGES = 8;

// One light as the shaders read it: a colour already multiplied by the intensity, then a
// direction or position.
struct SRenderLight {
    D3DXCOLOR color;
    D3DXVECTOR4 vector;
};
static_assert(sizeof(SRenderLight) == 32, "a light record is 32 bytes");

class CRenderer : public IRenderer {
public:
    CRenderer();
    ~CRenderer() override;
    CRenderer(const CRenderer&) = delete;
    CRenderer& operator=(const CRenderer&) = delete;

    void SetPaused(int value) override { paused = value; }
    void SetViewport(int x, int y, int width, int height) override;
    int EnableGlowing(int on) override;

    // The "Renderer" section after its name; sizes everything (again for a second
    // section, after freeing the first sizes). 0.
    int FirstScan(FILE* file);
    // A "RenderStates:" block up to its "};"; 0.
    int ScanRenderStates(FILE* file, CRenderStatesBlock* block);
    void ApplyRenderStates(const CRenderStatesBlock& block, uint32_t pass);

    void SetViewProj(const D3DXMATRIX& view, const D3DXMATRIX& proj);
    void AddLight(CAtom* light);

    // Start of every process step: clears state bit 8 of the queued units, empties the
    // frame lists.
    void ResetFrame();
    // Engine reset: empties the lists without touching their units.
    void ResetQueues();
    // Queues a unit once per frame (state bit 8), calling OnShow after a hidden period.
    void PutInRenderQueue(CAtom* unit);
    void PutReflectionCaster(CAtom* unit);
    void PutShadowCamera(CAtom* camera);
    void PutShadowCaster(CAtom* unit);
    void PutShadowReceiver(CAtom* unit);
    // Drops a unit that is being deleted from every list of this frame.
    void ForgetUnit(const CAtom* unit);
    // A geometry unit's render-object index for this frame and a fresh palette offset;
    // also for units drawn outside the queues (3D controls). Beyond MaxRenderObjects the
    // unit is warned and left with neither.
    void GiveRenderObject(CAtom* unit);
    // True when the geometry unit holds a render object of this frame; every pass that
    // reads the per-object arrays or the palette for a unit skips one that does not.
    bool HasRenderObject(const CAtom* unit) const;
    // Room in the bone palette for one object: at most 64 bones (more are warned and cut);
    // null when the palette is full. The offset then moves past the bones.
    float* TakeBonePalette(const CAtom* unit, int* boneCount);

    void RenderUnits(int pass);
    // The particle systems of one queue, drawn after its units and select planes.
    void RenderParticles(int queue);
    void RenderControls();

    // The select planes of one queue, once per carrier of this frame, in batches of the
    // plane mesh's clones; without a vertex shader one carrier per draw through the
    // fixed-function world matrix.
    void RenderSelectPlanes(int queue);
    // Select planes register themselves when their class is read and leave when deleted.
    void AddSelectPlane(CSelectPlane* plane);
    void RemoveSelectPlane(const CSelectPlane* plane);
    // The selectable geometry unit queued this frame whose mesh the ray hits (RendererPick.cpp):
    // an attached unit at once, else the hit unit whose position is nearest to the camera
    // (the first on equal distance); null while paused or when nothing is hit. Called
    // after UpdateSkeletons, whose inverse world matrices it reads.
    CAtom* PickUnit(const D3DXVECTOR4& origin, const D3DXVECTOR4& direction);

    // Before the scene: each shadow camera's map cleared and the frame's shadow casters
    // drawn into it (pass 4), through the camera's multisampled target when it has one;
    // shadowViewProj[i] is camera i's view-projection. Nothing without a camera, a caster
    // or a receiver in the frame. Only the first MAX_SHADOW_CAMERAS cameras are drawn.
    void RenderShadows();
    // Before a reflection receiver is drawn: the reflection casters mirrored in its plane
    // (pass 2) into its class's reflection texture, which goes to its reflection stage.
    // Once per frame for a class sharing the texture. A receiver without a render-target
    // texture, or that is no geometry, is a counted warning and keeps its old picture.
    void RenderReflections(CAtom* unit);
    // After the scene, when glowing is on and a glowing unit was drawn: the queued units
    // drawn (pass 8) into glow texture A, blurred Passes times through texture B, and
    // added onto the back buffer.
    void RenderGlows();

    // ---- Per-unit shader constants, lights and skeletons (RendererConstants.cpp) ----
    // Once per frame after the particles: world matrices, their inverses and transposes,
    // and the bone palette of every queued geometry unit and 3D control; slaves after
    // every master. Nothing while paused.
    void UpdateSkeletons();
    void UpdateSkeleton(CAtom* unit);
    // A slave's world: its own matrix carried up the master chain (through the master's
    // bone when it is attached to one).
    void ComputeAttachedWorld(D3DXMATRIX* out, const CAtom* unit) const;
    // Builds the matrices of the bones below `bone` from their parents' (flags: 0 not
    // done, 1 set by animation or kinematics, 2 final).
    void ComputeBoneHierarchy(int bone, const CMesh& mesh, D3DXMATRIX* matrices, uint8_t* flags, int depth = 0);
    // What the unit's playing animations give its drawing (RendererAnimations.cpp): the
    // k-th one's blend factor in AnimFactor[k] (the first four), frame textures or atlas
    // cells of its two texture stages, and for a mesh animation the vertex streams of its
    // two frame meshes and, when the unit's own mesh has no index buffer, the frame
    // meshes' base mesh as substituteMesh. An instance still waiting to start binds
    // nothing. No index buffer at all is a message box, once per instance.
    void GatherDataFromAnimations(CAtom* unit);
    // The light arrays of one unit and, for lights local to units, the camera in its space.
    void GatherLights(CAtom* unit);
    // Fills the unit's named values, applies its class's shader table and binds its shaders
    // and vertex declaration for the pass. A geometry unit whose class has no vertex shader
    // is drawn by the fixed-function pipeline: its world matrix, its mesh's vertex format,
    // no lighting.
    void SetUnitConstants(CAtom* unit, int pass);

    int32_t warningBudget = 2;
    int paused = 0;

    // Frame and unit values that the shaders read (matrices transposed, ready for
    // column-major registers). Shader tables keep their addresses for the whole run.
    D3DXMATRIX mView, mProj, mViewProj, mMirror;
    D3DXMATRIX mWorldView, mWorldViewProj;
    D3DXMATRIX shadowViewProj[MAX_SHADOW_CAMERAS];  // set by the shadow cameras
    D3DXMATRIX shadowMatrix[MAX_SHADOW_CAMERAS];  // view-projection x shadow bias
    D3DXMATRIX mShadow[MAX_SHADOW_CAMERAS];
    D3DXMATRIX mWorldShadow[MAX_SHADOW_CAMERAS];
    D3DXCOLOR ShadowColor{0, 0, 0, 1};
    D3DXCOLOR ShadowClearColor{1, 1, 1, 1};
    D3DXPLANE MirrorPlane{0, 1, 0, 0};
    D3DXVECTOR4 AnimFactor[ANIM_FACTOR_SLOTS];
    D3DXVECTOR4 UvMulAdd[UV_STAGES];
    D3DXVECTOR4 cameraDir{0, 0, 1, 0};
    D3DXVECTOR4 LocalCamPos{0, 0, 0, 1};
    D3DXVECTOR4 LocalCamDir{0, 0, 1, 0};
    // The last view and view-projection handed over by SetViewProj, untransposed.
    D3DXMATRIX view, viewProj;

    int32_t MaxRenderObjects = 0;
    int renderObjects = 0;
    std::vector<CAtom*> renderObjectOwners;  // the unit holding each index this frame
    std::vector<D3DXMATRIX> inverseWorlds;
    std::vector<D3DXMATRIX> transposedWorlds;
    std::vector<D3DXVECTOR4> instanceMatrices;  // MaxRenderObjects x 3 + 1
    std::vector<D3DXVECTOR4> instanceColors;
    std::vector<CAtom*> deferredSkeletons;
    std::vector<float> bonePalette;  // MaxRenderObjects x 768 + 4
    int paletteOffset = PALETTE_START;
    // Moving sources: the current unit's transposed world and palette slice, the current
    // batch of instance matrices and colours (null: nothing is written).
    const D3DXMATRIX* mWorld = nullptr;
    const float* mBones = nullptr;
    const D3DXVECTOR4* mWorlds = nullptr;
    const D3DXVECTOR4* Colors = nullptr;
    // Scratch of the skeleton walk: one matrix and one done flag per bone.
    D3DXMATRIX boneMatrices[MAX_BONES_PER_OBJECT];
    uint8_t boneFlags[MAX_BONES_PER_OBJECT] = {};
    CMesh* currentMesh = nullptr;
    // A mesh drawn this frame in place of the units' own (the mesh-animation mesh).
    CMesh* substituteMesh = nullptr;

    int32_t QueueCount = 0;
    int32_t InQueueCount = 0;
    std::vector<SRenderQueue> queues;
    std::vector<SRenderQueue> reflectionQueues;
    // The 3D controls are sorted into these, so the scene's queues stay intact until the
    // next ResetFrame (the glow pass still walks them, and their bit 8 is cleared there).
    std::vector<SRenderQueue> controlQueues;

    std::vector<CSelectPlane*> selectPlanes;
    std::vector<CAtom*> shadowCasters;
    std::vector<CAtom*> shadowCameras;
    int shadowReceivers = 0;
    std::vector<CAtom*> lights;
    SRenderLight diffuseLights[MAX_RENDER_LIGHTS] = {};
    SRenderLight specularLights[MAX_RENDER_LIGHTS] = {};
    int diffuseLightCount = 0, specularLightCount = 0;

    // Live register counts that shader-table rows may name instead of a number.
    int numBones = 0, numWorlds = 0, numDiffLights = 0, numSpecLights = 0;

    // 1 while a shadow or reflection pass draws with a depth surface; without one those
    // passes keep Z off whatever the render states say.
    int shadowPass = 0;
    D3DVIEWPORT9 viewport{0, 0, 0, 0, 0.0f, 1.0f};

    // Glow pass settings and targets.
    int glowing = 0;
    int glowingUnits = 0;
    int32_t BufferRatio = 4;
    int glowWidth = 256;
    int glowHeight = 256;
    D3DFORMAT ColorFormat = D3DFMT_A8R8G8B8;
    D3DFORMAT DepthFormat = D3DFMT_D16;
    int32_t Passes = 4;
    IDirect3DTexture9* glowTextureA = nullptr;
    IDirect3DTexture9* glowTextureB = nullptr;
    IDirect3DSurface9* glowDepth = nullptr;
    ShaderPair nonGlowPixelShader{};
    ShaderPair blurPixelShader{};
    ShaderPair postBlurPixelShader{};

private:
    int ScanGlowing(FILE* file);
    void ScanBufferRatio(FILE* file);
    void ScanPixelShader(FILE* file, ShaderPair* shader);
    void Allocate();
    void CreateGlowTargets();
    void ReleaseGlowTargets();
    void ClearQueuedBits();
    // Units with their own world matrix (CGeometry and its descendants).
    static bool IsGeometry(const CAtom* unit);
    bool QueueIndexValid(const CAtom* unit) const;
    void PrepareGeometry(CGeometry* unit);
    void DrawUnit(CAtom* unit, const SRenderQueue& queue, int slot, int pass);
    void SortControls();
    void DrawControl(CAtom* unit);
    void DrawSelectPlane(CSelectPlane* plane, CMesh* mesh);
    void DrawCarriersFixed(CSelectPlane* plane, CMesh* mesh);
    // The class's render states, or the defaults for a unit without a class.
    static const CRenderStatesBlock& StatesOf(const CAtom* unit);
    // The _44 warning of a pass: the text up to the unit's name.
    void CheckWorld44(const CAtom* unit, const char* warning);
    int ShadowCameraCount() const;
    // The surface a camera's casters are drawn into: its multisampled target, else its map.
    IDirect3DSurface9* ShadowDrawTarget(const CShadowCamera& camera, bool* multisampled) const;
    // That surface (and the depth surface, when the camera has one) as target, cleared;
    // false when the camera has nothing to draw into.
    bool BindShadowTarget(const CShadowCamera& camera, bool* multisampled);
    CShadowCamera* ShadowCameraAt(int slot) const;
    void DrawShadowCasters(int cameraSlot);
    void ResolveShadowMap(const CShadowCamera& camera);
    // The receiver's reflection texture when it can take a reflection, else null after
    // the warning.
    IDirect3DTexture9* ReflectionTexture(CAtom* unit);
    void BindReflectionTarget(const CClassTemplate& t, IDirect3DTexture9* texture);
    // MirrorPlane from the receiver; the renderer's and the device's view mirrored in it.
    void MirrorView(const CAtom& receiver);
    void DrawReflectionCasters();
    void DrawGlowingUnits();
    void DrawGlowingUnit(CAtom* unit);
    void BlurGlow(IDirect3DTexture9* target, IDirect3DTexture9* source, float du, float dv);
    void AddGlow();
    // Both light arrays empty; the first diffuse record reads as no light.
    void ClearLightArrays();
    void AddLightRecord(SRenderLight* records, int* count, const D3DXCOLOR& color, const D3DXVECTOR4& vector);
    // One texture stage of a frame animation: UvMulAdd from the atlas cell or the file's
    // UV track, or the unit's texture switched to the frame's.
    void BindAnimationStage(CAtom* unit, const CAnimInstance& instance, uint8_t stage, int frame, uint16_t uvFlag,
                            uint16_t textureFlag);
    void BindMeshFrames(const CAtom* unit, CAnimInstance& instance, int frame1, int frame2);
    // The unit's bone palette for this frame: its bones' matrices, or one identity.
    void FillBonePalette(CGeometry* unit, const CMesh* mesh);
    // A master's bone as a 4x4 matrix from its palette slice; false when it has none.
    bool PaletteBone(const CAtom* master, int bone, D3DXMATRIX* out) const;
    void BindShaders(const CAtom* unit, int pass, const D3DXMATRIX& world, const CMesh* mesh);
    const ShaderPair* PassVertexShader(const CClassTemplate& t, int pass) const;
    const ShaderPair* PassPixelShader(const CClassTemplate& t, int pass) const;
    void BindFixedFunction(const D3DXMATRIX& world, const D3DXVECTOR4& size, const CMesh* mesh);
    // The unit's mesh hit by the ray in the mesh's space (its world and Size undone).
    bool RayHitsUnit(const CGeometry* unit, const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) const;
};

extern CRenderer* gRenderer;
extern IRenderer* gIRenderer;

// The first started animation whose matrices ("Matrices3x3", no kept values) write the
// unit's own world matrix, or null.
const CAnimInstance* FirstTransformAnimation(const CAtom* unit);
