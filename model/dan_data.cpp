#include "dan_data.h"

#include <cmath>

namespace lw {

long RoundHalfEven(double v) { return std::lrint(v); }  // default mode: to nearest, ties to even

uint8_t TickOf(int rhythmId, uint8_t noteAttr) {
    int base = 0;
    switch (rhythmId) {
        case 0: case 21: base = 96; break;
        case 1: case 22: base = 48; break;
        case 2: case 23: base = 24; break;
        case 3: case 24: base = 12; break;
        case 4: case 25: base = 6; break;
        case 5: base = 3; break;
        case 6: base = 4; break;
        case 7: base = 8; break;
        case 8: base = 16; break;
        default: return 0;
    }
    if (!GetBit(noteAttr, kAttrDot)) return static_cast<uint8_t>(base);
    if (rhythmId >= 6 && rhythmId <= 8) return static_cast<uint8_t>(base * 2);
    return static_cast<uint8_t>(RoundHalfEven(base + base / 2.0));
}

bool GetBit(uint8_t byte, int i) {
    if (i < 0 || i > 7) return false;
    const uint8_t mask = static_cast<uint8_t>(128 >> i);
    return (byte & mask) == mask;
}

uint8_t SetBit(uint8_t& byte, int i, bool value) {
    if (i < 0 || i > 7) return byte;
    const uint8_t mask = static_cast<uint8_t>(128 >> i);
    if (value && !(byte & mask)) byte = static_cast<uint8_t>(byte + mask);
    else if (!value && (byte & mask)) byte = static_cast<uint8_t>(byte - mask);
    return byte;
}

std::string ByteToBits(uint8_t byte) {
    std::string s(8, '0');
    for (int i = 0; i < 8; ++i)
        if (GetBit(byte, i)) s[i] = '1';
    return s;
}

uint8_t BitsToByte(const std::string& bits) {
    int v = 0;
    for (size_t i = 0; i < bits.size() && i < 8; ++i)
        if (bits[i] == '1') v += 128 >> i;
    return static_cast<uint8_t>(v);
}

void StoreNote(OnpuData& pos, int k, int fret, int rhythmId) {
    if (k < 1 || k >= kStringSlots) return;
    pos.FletUse[k] = kSounding;
    pos.Flet[k] = static_cast<uint8_t>(fret);
    pos.NoteLengthID[k] = static_cast<uint8_t>(rhythmId);
    pos.NoteTick[k] = TickOf(rhythmId, pos.NoteAttr);
}

void ClearString(OnpuData& pos, int k) {
    if (k < 1 || k >= kStringSlots) return;
    pos.FletUse[k] = 0;
}

void StoreRest(OnpuData& pos, int restId, int maxStringIx) {
    StoreNote(pos, 1, 1, restId);
    for (int k = 2; k <= maxStringIx + 1 && k < kStringSlots; ++k) {
        pos.FletUse[k] = 0;
        pos.Flet[k] = 0;
        pos.NoteLengthID[k] = 0;
        pos.NoteTick[k] = 0;
    }
}

void ResetMeasure(SyosetsuData& m) { m = SyosetsuData{}; }

void ResetRow(DanData& d) { d = DanData{}; }

bool IsValidMeterId(int meterId) {
    return MeterCaption(meterId)[0] != '\0';
}

const char* MeterCaption(int meterId) {
    switch (meterId) {
        case 0: return "2/2";
        case 1: return "6/8";
        case 2: return "2/4";
        case 10: return "3/2";
        case 11: return "9/8";
        case 12: return "3/4";
        case 20: return "4/2";
        case 21: return "12/8";
        case 22: return "4/4";
        default: return "";
    }
}

int PositionTicks(const OnpuData& pos) {
    for (int s = 1; s < kStringSlots; ++s)
        if (pos.FletUse[s] == kSounding) return pos.NoteTick[s];
    return pos.NoteTick[1];
}

}  // namespace lw
