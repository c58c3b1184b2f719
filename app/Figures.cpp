#include "app/Figures.h"

#include "core/Scanner.h"

#include <cstdio>

namespace {

constexpr Hundredths PER_UNIT = 100;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

bool ParseHundredths(const char* text, Hundredths* value)
{
    if (!text || !IsDigit(text[0])) return false;
    Hundredths units = 0;
    const char* c = text;
    for (; IsDigit(*c); ++c) {
        units = units * 10 + (*c - '0');
        if (units >= FIGURE_LIMIT / PER_UNIT) return false;
    }
    Hundredths fraction = 0;
    int decimals = 0;
    bool roundUp = false;
    if (*c == '.') {
        for (++c; IsDigit(*c); ++c, ++decimals) {
            if (decimals < 2)
                fraction = fraction * 10 + (*c - '0');
            else if (decimals == 2)
                roundUp = *c >= '5';
        }
    }
    if (*c) return false;
    for (; decimals < 2; ++decimals)
        fraction *= 10;
    const Hundredths result = units * PER_UNIT + fraction + (roundUp ? 1 : 0);
    if (result >= FIGURE_LIMIT) return false;
    *value = result;
    return true;
}

Hundredths TotalOf(Hundredths pricePerUnit, Hundredths amount)
{
    const Hundredths product = pricePerUnit * amount;  // in ten-thousandths
    return (product >= 0 ? product + PER_UNIT / 2 : product - PER_UNIT / 2) / PER_UNIT;
}

void FormatHundredths(Hundredths value, bool grouped, char* text, size_t size)
{
    const Hundredths magnitude = value < 0 ? -value : value;
    snprintf(text, size, "%s%lld.%02lld", value < 0 ? "-" : "", static_cast<long long>(magnitude / PER_UNIT),
             static_cast<long long>(magnitude % PER_UNIT));
    if (grouped) FormatThousands(text, size);
}
