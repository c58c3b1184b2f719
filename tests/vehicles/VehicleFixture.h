#pragma once
// A created engine whose registry is sized by a real "UnitInspector" section; vehicle,
// weapon and bolide classes are declared in script files read by the script reader, units
// are made from them by the registry, and frames are stepped through the registry's walk
// with a fixed engine frame time.

#include "engine/UnitInspector.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vehicles {

class VehicleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The script reader on the text (the registry section goes in front of the first).
    void RunScript(const std::string& text);
    // A registered unit of a declared class.
    template <class T>
    T* Create(const char* className)
    {
        CClassTemplate* cls = gIUnitInspector->GetClassTemplate(className);
        return cls ? dynamic_cast<T*>(gIUnitInspector->CreateUnitFromTemplate(cls, nullptr)) : nullptr;
    }
    // n frames of dt seconds each.
    void Frames(int n, float dt);
    std::vector<CAtom*> UnitsOfType(int type);

    test::MessageRecorder messages;
    std::string dir;

private:
    int scripts_ = 0;
};

} // namespace vehicles
