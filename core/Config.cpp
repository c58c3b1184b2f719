#include "core/Config.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Messages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void ReadApplicationConfig()
{
    ReadApplicationConfigFrom(APPLICATION_CONFIG_PATH);
}

void ReadApplicationConfigFrom(const char* path)
{
    FILE* f = fopen(path, "r");
    if (!f) {
        MsgBox("Can`t find config file 'System/Application.cfg'. \n Application now exit");
        gCore.SetExitFlag();
        return;
    }
    char word[256];
    while (fscanf(f, "%255s", word) == 1) {
        if (!strcmp(word, "WINDOWED")) {
            if (fscanf(f, "%255s", word) == 1)
                AppWindowConfig.windowed = !strcmp(word, "true");
        } else if (!strcmp(word, "WIDTH")) {
            if (fscanf(f, "%255s", word) == 1)
                AppWindowConfig.width = atoi(word);
        } else if (!strcmp(word, "HEIGHT")) {
            if (fscanf(f, "%255s", word) == 1)
                AppWindowConfig.height = atoi(word);
        } else if (!strcmp(word, "CLEAR_COLOR")) {
            if (fscanf(f, "%255s", word) == 1)
                gGraphics.clearColor = D3DCOLOR(strtoul(word, nullptr, 16));
        }
    }
    fclose(f);
}
