#pragma once
// CShaderContainer: owns the compiled shaders and the shader constant tables, numbered
// from 1 (0 = none). Until the shader container is built it holds none: lookups answer 0,
// an empty pair or null.

#include "core/GraphicsTypes.h"

#include <cstdint>

struct CShaderTable;

class IShaderContainer {
public:
    virtual ~IShaderContainer() = default;
    virtual uint16_t FindVertexShader(const char* name) = 0;
    virtual uint16_t FindPixelShader(const char* name) = 0;
    virtual ShaderPair GetVertexShader(uint16_t index) = 0;
    virtual ShaderPair GetPixelShader(uint16_t index) = 0;
};

class CShaderContainer : public IShaderContainer {
public:
    uint16_t FindVertexShader(const char*) override { return 0; }
    uint16_t FindPixelShader(const char*) override { return 0; }
    ShaderPair GetVertexShader(uint16_t) override { return {}; }
    ShaderPair GetPixelShader(uint16_t) override { return {}; }
    virtual CShaderTable* GetTable(uint16_t) { return nullptr; }
    uint16_t FindShaderTable(const char*) { return 0; }
};

extern CShaderContainer* gShaderContainer;
extern IShaderContainer* gIShaderContainer;
