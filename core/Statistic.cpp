#include "core/Statistic.h"

void CStatistic::Init(int nx, int ny, int nflags)
{
    x = nx;
    y = ny;
    flags = nflags;
}

void CStatistic::Draw() {}
