#pragma once
// A window, a device and a created engine for tests that declare their scene in script
// text: scripts and data files go into a private folder that is the current folder while
// the object lives; a camera looks at a point; a frame runs the engine's process steps
// (units, particles, skeletons) with a chosen frame time and then the scene pass, and the
// picture can be read back. Every message is recorded while it lives.

#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <d3dx9.h>
#include <windows.h>

#include <string>

class CGeometry;

namespace test {

class SceneDevice {
public:
    static constexpr int WIDTH = 320;
    static constexpr int HEIGHT = 240;

    // False (with the reason in the recorded messages) when the device or engine failed.
    bool Start(const std::string& folderName);
    ~SceneDevice();

    // Reads script text through the engine's script reader; its result.
    int ReadScript(const std::string& text);
    // Writes a data file of the folder; its full path.
    std::string Write(const std::string& name, const std::string& text);
    // A registered unit of the class, always drawn, with the mesh file and a texture of one
    // colour.
    CGeometry* AddUnit(const char* className, const std::string& meshPath, D3DCOLOR argb, const D3DXVECTOR4& pos);
    // The main view point looks from eye at target; the renderer and device get its matrices.
    void LookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target);
    // One frame with the engine's frame time dt: process steps, then the scene pass drawn
    // over a black clear (followed by the glow pass when asked).
    void Frame(float dt, bool glow = false);
    // Where a world point lands in the view.
    POINT Project(const D3DXVECTOR3& point) const;
    Image Picture();

    std::string dir;

private:
    MessageRecorder messages_;
    TestDevice* device_ = nullptr;
    int scripts_ = 0;
};

// A vertex shader placing a row vector by the transposed world-view-projection in c0..c3,
// coloured by the position's w (which is 1).
extern const char TRANSFORM_SHADER[];

// A square in the x-y plane (corners at +-half) with texture coordinates. Its front is
// seen from -z (as a camera at -z sees the x-y plane), or from +z when asked.
std::string SquareMeshText(float half, bool frontTowardPlusZ = false);

} // namespace test
