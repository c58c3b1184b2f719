#pragma once
// The column's own texts, code page 1251 (the Russian wording in the comments).

// Caption of the presentation selector. "Выбрать Объект..."
inline constexpr char SELECTOR_CAPTION[] = "\xC2\xFB\xE1\xF0\xE0\xF2\xFC \xCE\xE1\xFA\xE5\xEA\xF2...";
// Show-flat without a building. "Пожалуйста, выберите здание. В правом верхнем углу."
inline constexpr char CHOOSE_BUILDING_TEXT[] = "\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, \xE2\xFB\xE1\xE5\xF0\xE8\xF2\xE5 \xE7\xE4\xE0\xED\xE8\xE5. \xC2 \xEF\xF0\xE0\xE2\xEE\xEC \xE2\xE5\xF0\xF5\xED\xE5\xEC \xF3\xE3\xEB\xF3.";
// Show-flat without a floor. "Пожалуйста, выберите этаж. На иконке здания справа."
inline constexpr char CHOOSE_FLOOR_TEXT[] = "\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, \xE2\xFB\xE1\xE5\xF0\xE8\xF2\xE5 \xFD\xF2\xE0\xE6. \xCD\xE0 \xE8\xEA\xEE\xED\xEA\xE5 \xE7\xE4\xE0\xED\xE8\xFF \xF1\xEF\xF0\xE0\xE2\xE0.";
// Hint of the show-flat button while no show runs. "Показать квартиру"
inline constexpr char SHOW_FLAT_HINT[] = "\xCF\xEE\xEA\xE0\xE7\xE0\xF2\xFC \xEA\xE2\xE0\xF0\xF2\xE8\xF0\xF3";
// Its hint while a show runs. "Закрыть показ"
inline constexpr char CLOSE_SHOW_HINT[] = "\xC7\xE0\xEA\xF0\xFB\xF2\xFC \xEF\xEE\xEA\xE0\xE7";
// Before a floor's number on the facade labels. "ЭТАЖ "
inline constexpr char FLOOR_PREFIX[] = "\xDD\xD2\xC0\xC6 ";
