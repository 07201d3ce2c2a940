// Texts of the refusals that protect the document (no catalogue entry).
#pragma once

namespace lw {

inline constexpr const char* kMsgMeasurePositionsFull =
    "この小節には24個を超える音符は追加できません。";
inline constexpr const char* kMsgInsertOverflow =
    "音符を挿入すると最後の小節からあふれるため、挿入できません。";
inline constexpr const char* kMsgInsertTooMany =
    "挿入で並べ直す音符が多すぎるため、挿入できません。";
inline constexpr const char* kMsgFretOverflow =
    "移調するとフレット番号が255を超える音符があるため、移調できません。";
inline constexpr const char* kMsgCoordinateRange =
    "位置が表示できる範囲を超えるため、この操作はできません。";
inline constexpr const char* kMsgBarLineRange =
    "区切り線は隣の区切り線を越えて移動できません。";

}  // namespace lw
