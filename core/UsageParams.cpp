#include "core/UsageParams.h"

SUsageParams gUsageParams;

void ResetUsageParams()
{
    gUsageParams = SUsageParams{};
}
