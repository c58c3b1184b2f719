#pragma once
// A forwarding wrapper of the Direct3D 9 interfaces: InstallRecordingDevice makes the
// program's Direct3DCreate9 hand out a wrapper whose CreateDevice hands out a
// CRecordingDevice, so every device call of the program and of the D3DX objects made on it
// passes through here. While a draw list is attached each call is logged into it with its
// arguments and data; a watcher is told of the device, of every resource made and of every
// Present. Nothing here changes what reaches the device.

#include "tools/benchmark/DrawList.h"

#include <d3d9.h>

namespace bench {

// A texture, surface or buffer the device made, as asked for.
struct SMadeResource {
    D3DRESOURCETYPE type;
    UINT width, height, depth, levels;  // buffers: width is the length in bytes
    DWORD usage;
    D3DFORMAT format;                   // vertex buffers: the FVF
    D3DPOOL pool;
};

class IDeviceWatch {
public:
    virtual void DeviceMade(UINT adapter, D3DDEVTYPE type, HWND window, DWORD behaviour,
                            const D3DPRESENT_PARAMETERS& params) = 0;
    virtual void ResourceMade(const SMadeResource& resource, IDirect3DResource9* object) = 0;
    virtual void Presented() = 0;

protected:
    ~IDeviceWatch() = default;
};

// Hooks the program's Direct3DCreate9; false when the import is not found.
bool InstallRecordingDevice(IDeviceWatch* watch);

// The wrapped device the program made last (null before); its calls go to Real().
class CRecordingDevice;
CRecordingDevice* RecordingDevice();
IDirect3DDevice9* RealDevice(CRecordingDevice* device);
// Logs into list until StopRecording (list null: stop).
void StartRecording(CRecordingDevice* device, CDrawList* list);
inline void StopRecording(CRecordingDevice* device) { StartRecording(device, nullptr); }

} // namespace bench
