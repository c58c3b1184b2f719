#pragma once
// The figures of the cost/area file (prices per unit area and areas) kept exactly as whole
// hundredths, as the file writes them with two decimals, the totals computed from them to
// the hundredth, and the one text every figure of the column is shown in. A word that is
// not such a figure is refused; the caller reports it.

#include <cstddef>
#include <cstdint>

// Hundredths of a rouble or of a square metre.
using Hundredths = int64_t;
// Figures must stay below 10 000 000.00, so that the product of two fits 64 bits.
constexpr Hundredths FIGURE_LIMIT = 1000000000;

// Digits with an optional point and decimals ("45000.50", "61.5", "300"): the value in
// hundredths, a third decimal rounding half away from zero. False for any other word, a
// sign included, and for a figure at or above the limit.
bool ParseHundredths(const char* text, Hundredths* value);
// The price of an amount at a price per unit, to the hundredth, half away from zero.
Hundredths TotalOf(Hundredths pricePerUnit, Hundredths amount);
// The figure with two decimals ("38.10"); grouped by thousands with blanks when asked
// ("2 833 951.37").
void FormatHundredths(Hundredths value, bool grouped, char* text, size_t size);
