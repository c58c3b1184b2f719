// Generates the sample presentation's meshes, pictures and texts into a run folder.
// Usage: housing_gen <run folder>. The output depends on nothing but this program.

#include "BuildingMeshes.h"
#include "BuildingPictures.h"
#include "ColumnPictures.h"
#include "Complex.h"
#include "Output.h"
#include "PanelPicture.h"
#include "SitePictures.h"
#include "SkinPicture.h"
#include "Text.h"
#include "TextFiles.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: housing_gen <run folder>\n");
        return 2;
    }
    gen::SetOutputRoot(argv[1]);
    gen::TextPainter text;
    for (const gen::BuildingSpec& b : gen::Buildings()) {
        gen::WriteBuildingMeshes(b);
        gen::WriteBuildingPictures(b);
    }
    gen::WriteSharedBuildingPictures();
    gen::WriteGroundMesh();
    gen::WriteSitePictures(text);
    gen::WriteColumnPictures(text);
    gen::WriteSkinPicture();
    gen::WriteHintPicture();
    gen::WritePanelPicture(text);
    gen::WriteTextFiles();
    return 0;
}
