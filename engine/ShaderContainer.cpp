#include "engine/ShaderContainer.h"

CShaderContainer* gShaderContainer = nullptr;
IShaderContainer* gIShaderContainer = nullptr;
