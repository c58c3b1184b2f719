#include "tests/anims/AnimFixture.h"

#include "core/Core.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"
#include "scene/Renderer.h"

#include <sstream>

namespace anims {

std::string Columns(const std::string& channels, int version)
{
    if (version < 4) return "ax ay az px py pz sx sy sz";
    std::istringstream words(channels);
    std::string word, out, colors;
    bool finalMatrix = false, angle = false, pos = false, target = false, scale = false, uv = false;
    bool alpha = false, rgb = false;
    while (words >> word) {
        finalMatrix |= word == "FinalMatrix";
        angle |= word == "Angle";
        pos |= word == "Pos";
        target |= word == "Target";
        scale |= word == "Scale";
        uv |= word == "UvCoords";
        alpha |= word == "Color" || word == "ColorA";
        rgb |= word == "Color";
    }
    if (finalMatrix) return "Matrix";
    if (angle) out += " ax ay az";
    if (pos) out += " px py pz";
    if (target) out += " tx ty tz";
    if (scale) out += " sx sy sz";
    if (alpha) out += " a";
    if (rgb) out += " r g b";
    if (uv) out += " u0 v0 u1 v1";
    return out;
}

std::string AnimText(int version, int frames, int bones, float duration, const std::string& channels,
                     const std::vector<std::string>& frameKeys)
{
    std::ostringstream text;
    text << "AnimationText " << version << " written by test " << frames << " Bones: " << bones
         << " Duration: " << duration << "\n";
    if (version >= 4) text << "Channels = [ " << channels << " ]\n";
    text << "Keys " << Columns(channels, version) << "\n";
    for (size_t f = 0; f < frameKeys.size(); ++f) text << "Frame" << f << "\n" << frameKeys[f] << "\n";
    return text.str();
}

void AnimTest::SetUp()
{
    gExitCode = 0;
    gWarningBudget = 1000;
    ASSERT_EQ(0, CreateEngine(0));
    gAnimContainer->warnings = 1000;
}

void AnimTest::TearDown()
{
    DestroyEngine();
    gExitCode = 0;
    gWarningBudget = 4;
}

std::string AnimTest::WriteAnim(const std::string& name, const std::string& text)
{
    return dir.Write(name, text);
}

int AnimTest::LoadScript(const std::string& text)
{
    static int count = 0;
    const std::string path = dir.Write("Script" + std::to_string(++count) + ".txt", text);
    return gParser->LoadScript(path.c_str());
}

void AnimTest::SizeEngine(const std::string& animSection)
{
    ASSERT_EQ(0, LoadScript("AnimContainer [ " + animSection + " ]\n"
                            "UnitInspector [ UnitCount: 16 TemplateCount: 16 UnitAttaches: 8 SmoothMovers: 4 ]\n"
                            "Renderer [ QueueCount: 4 InQueueCount: 16 MaxRenderObjects: 16 ]\n"));
    gAnimContainer->warnings = 1000;
}

void AnimTest::Frame(float dt)
{
    gEngine->frameTime = dt;
    gRenderer->ResetFrame();
    gUnitInspector->ClearFrameList();
    gUnitInspector->ProcessUnits();
}

} // namespace anims
