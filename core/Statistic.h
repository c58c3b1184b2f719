#pragma once
// CStatistic: the frame-rate and counter overlay.

struct CStatistic {
    int x = 0, y = 0, flags = 0;

    void Init(int x, int y, int flags);
    void Draw();
};
