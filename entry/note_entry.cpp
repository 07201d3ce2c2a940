#include "note_entry.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "fretcalc_client.h"
#include "measure_beats.h"
#include "row_geometry.h"

namespace lw {

namespace {

bool IsTripletId(int id) { return id >= 6 && id <= 8; }

// Effect item of a string from its effect bits (first bit set), 0 for none.
int EffectItemOf(uint8_t effect) {
    for (int b = 0; b < 3; ++b)
        if (GetBit(effect, b)) return b + 1;
    return 0;
}

std::string PositionTag(int m, int p, bool rest) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%d", m, p, rest ? 1 : 0);
    return buf;
}

}  // namespace

int RestIdOfKyufuTag(int tag) {
    static const int ids[5] = {23, 24, 25, 22, 21};
    return tag >= 0 && tag < 5 ? ids[tag] : 23;
}

int KyufuTagOfRestId(int restId) {
    switch (restId) {
        case 23: return 0;
        case 24: return 1;
        case 25: return 2;
        case 22: return 3;
        case 21: return 4;
        default: return -1;
    }
}

NoteEntry::NoteEntry(Session& s, EditorGlobals& g, NoteEntryHost& host) : s_(s), g_(g), host_(host) {}

void NoteEntry::SetCurSanrenOpt(int opt) { g_.Entry.CurSanrenOpt = static_cast<int16_t>(std::clamp(opt, 0, 3)); }

bool NoteEntry::ValidPosition(int m, int p) const {
    if (s_.CurDanIx < 0 || s_.CurDanIx >= kSlotCount) return false;
    if (m < 0 || m >= kMeasureSlots || p < 1 || p > kMaxPositions) return false;
    return p <= s_.DanBuf[s_.CurDanIx].Syosetsu[m].OnpuCnt;
}

// ---------------------------------------------------------------- fret window

int NoteEntry::GetPosNo(int string) const {
    if (string < 1 || string > 6) return 0;
    return FletChoice[string];
}

int NoteEntry::FletItemOf(int string) const {
    const int c = GetPosNo(string);
    if (c == 0) return 0;
    const int item = c - 1 - (HScroll1 - 2);
    return item >= 1 && item < kFretItems ? item : -1;
}

void NoteEntry::SetFletCaption(int start) { HScroll1 = std::clamp(start, 1, kMaxFretStart); }

void NoteEntry::SetFletPosNo(int string, int nFlet) {
    if (string < 1 || string > 6) return;
    FletChoice[string] = std::clamp(nFlet, 0, 256);
    if (nFlet <= 0) return;
    const int fret = nFlet - 1;
    if (fret < HScroll1 - 1 || fret > HScroll1 + 14) {
        // The window moves to show the new fret; every string keeps its own.
        OnpuData scratch;
        scratch.FletUse[string] = kSounding;
        scratch.Flet[string] = static_cast<uint8_t>(std::min(fret, 255));
        FitFretWindow(scratch);
    }
}

void NoteEntry::FitFretWindow(const OnpuData& pos) {
    std::vector<int> used;
    for (int k = 1; k <= 6; ++k)
        if (pos.FletUse[k] == kSounding) used.push_back(pos.Flet[k]);
    if (used.empty()) return;
    std::sort(used.begin(), used.end());
    int v = HScroll1;
    if (used.front() < v) v = used.front() + 1;
    if (used.back() > v + 14) v = used.back() - 14;
    SetFletCaption(v);
}

void NoteEntry::SetRyhthm(int rhythmId) {
    LenOption = IsTripletId(rhythmId) || rhythmId == 5 ? 5 : std::clamp(rhythmId, 0, 4);
    g_.Entry.CurNoteLengthID = static_cast<int16_t>(rhythmId);
}

// ---------------------------------------------------------------- CurOnpu

void NoteEntry::WriteNoteFields(OnpuData& pos, bool forCurOnpu, bool& chk) {
    const int id = g_.Entry.CurNoteLengthID;
    SetBit(pos.NoteAttr, kAttrDot, chkFuten);
    if (forCurOnpu) pos.LoadMark = kSounding;
    const uint8_t tick = TickOf(id, pos.NoteAttr);
    chk = false;
    for (int k = 1; k <= Strings() && k <= 6; ++k) {
        const int p = GetPosNo(k);
        if (p != 0) {
            pos.FletUse[k] = kSounding;
            pos.Flet[k] = static_cast<uint8_t>(std::min(p - 1, 255));
            pos.NoteLengthID[k] = static_cast<uint8_t>(id);
            pos.NoteTick[k] = tick;
            chk = true;
        } else {
            pos.FletUse[k] = 0;
        }
    }
    if (forCurOnpu || IsTripletId(id)) pos.SanrenOpt = static_cast<uint8_t>(g_.Entry.CurSanrenOpt);
    // A tie or slur carries the length on string 1 even when it is silent.
    SetBit(pos.NoteAttr, kAttrTie, chkSlar);
    SetBit(pos.NoteAttr, kAttrSlur, chkSlar2);
    if (chkSlar || chkSlar2) {
        pos.NoteLengthID[1] = static_cast<uint8_t>(id);
        pos.NoteTick[1] = tick;
        chk = true;
    }
    SetBit(pos.NoteAttr, kAttrBeam, chkRenhaku);
    SetBit(pos.NoteAttr, kAttrStemDown, chkDownUp);
    for (int k = 1; k <= Strings() && k <= 6; ++k)
        for (int b = 0; b < 3; ++b) SetBit(pos.Effect[k], b, EffectItem[k] == b + 1);
}

void NoteEntry::SetNoteData() {
    bool chk = false;
    WriteNoteFields(CurOnpu(), true, chk);
}

void NoteEntry::SetNoteData_kyf() {
    OnpuData& c = CurOnpu();
    const int id = RestIdOfKyufuTag(KyufuTag);
    StoreRest(c, id, s_.MaxStringIx);
    // A rest carries neither dot, tie nor slur.
    SetBit(c.NoteAttr, kAttrDot, false);
    SetBit(c.NoteAttr, kAttrTie, false);
    SetBit(c.NoteAttr, kAttrSlur, false);
    c.NoteTick[1] = TickOf(id, 0);
}

// ---------------------------------------------------------------- loading

void NoteEntry::SetNowData2() {
    const OnpuData pos = CurOnpu();
    FitFretWindow(pos);
    g_.Entry.CurSanrenOpt = pos.SanrenOpt;
    for (int k = 1; k <= 6; ++k) {
        if (k <= Strings() && pos.FletUse[k] == kSounding) {
            SetFletPosNo(k, pos.Flet[k] + 1);
            SetRyhthm(pos.NoteLengthID[k]);
        } else {
            SetFletPosNo(k, 0);
        }
    }
    if (GetBit(pos.NoteAttr, kAttrTie) || GetBit(pos.NoteAttr, kAttrSlur)) {
        bool any = false;
        for (int k = 1; k <= Strings(); ++k) any = any || pos.FletUse[k] == kSounding;
        if (!any) SetRyhthm(pos.NoteLengthID[1]);  // the length a tie carries
    }
    chkSlar = GetBit(pos.NoteAttr, kAttrTie);
    chkSlar2 = GetBit(pos.NoteAttr, kAttrSlur);
    chkFuten = GetBit(pos.NoteAttr, kAttrDot);
    chkRenhaku = GetBit(pos.NoteAttr, kAttrBeam);
    chkDownUp = GetBit(pos.NoteAttr, kAttrStemDown);
    StemChosen = false;  // the box shows a stored note, not a choice for the next
    for (int k = 1; k <= 6; ++k) EffectItem[k] = k <= Strings() ? EffectItemOf(pos.Effect[k]) : 0;
    SetNoteData();
    Notify();
}

void NoteEntry::SetNowData(int m, int p) {
    if (!ValidPosition(m, p)) return;
    // CurOnpu becomes the stored record as the controls see it.
    CurOnpu() = Dan().Syosetsu[m].Onpu[p];
    SetNowData2();
}

void NoteEntry::SetNowData_kyf(int m, int p) {
    if (!ValidPosition(m, p)) return;
    const OnpuData& pos = Dan().Syosetsu[m].Onpu[p];
    for (int k = 1; k <= Strings(); ++k) {
        if (pos.FletUse[k] != kSounding) continue;
        const int tag = KyufuTagOfRestId(pos.NoteLengthID[k]);
        if (tag >= 0) {
            KyufuTag = tag;
            break;
        }
    }
    Notify();
}

void NoteEntry::ReloadSelected() {
    int m = 0, p = 0;
    if (!SelectedPosition(m, p)) {
        ClearFlet();
    } else if (Dan().Syosetsu[m].Onpu[p].IsRest()) {
        SetNowData_kyf(m, p);
    } else {
        SetNowData(m, p);
    }
    UpdateEnabled = RestButtonsEnabled = false;
    Notify();
}

void NoteEntry::ClearFlet2() { FletChoice.fill(0); }

void NoteEntry::ClearFlet() {
    ClearFlet2();
    chkSlar = chkSlar2 = chkFuten = chkRenhaku = chkDownUp = false;
    Tab = 0;
    EffectItem.fill(0);
    SetRyhthm(2);
    Notify();
}

// ---------------------------------------------------------------- positions

bool NoteEntry::UpdateNoteData(int m, int p, bool& chk) {
    chk = false;
    if (!ValidPosition(m, p)) return false;
    // The triplet the position belongs to is the one the row shows now,
    // before this change.
    const int ix = TripletPlaces(Dan().Syosetsu[m], s_.MeterID)[p];
    OnpuData& pos = Dan().Syosetsu[m].Onpu[p];
    WriteNoteFields(pos, false, chk);
    if (IsTripletId(g_.Entry.CurNoteLengthID)) {
        pos.SanrenOpt = static_cast<uint8_t>(g_.Entry.CurSanrenOpt);
        const int a = ix == 1 ? p + 1 : p - 1, b = ix == 1 ? p + 2 : ix == 2 ? p + 1 : p - 2;
        UpdateNoteData3ren(m, a);
        UpdateNoteData3ren(m, b);
    }
    return true;
}

void NoteEntry::UpdateNoteData3ren(int m, int q) {
    if (!ValidPosition(m, q)) return;
    OnpuData& pos = Dan().Syosetsu[m].Onpu[q];
    // A rest beside the group stays a rest.
    if (pos.IsRest()) return;
    pos.SanrenOpt = static_cast<uint8_t>(g_.Entry.CurSanrenOpt);
    const int id = g_.Entry.CurNoteLengthID;
    // The neighbour's own strings take the value too (its rhythm is that of
    // its first sounded string, often not one chosen in the dialog), and
    // string 1 when a tie alone carries its length.
    const int first = FirstSoundedString(pos);
    for (int k = 1; k <= Strings(); ++k) {
        if (GetPosNo(k) == 0 && pos.FletUse[k] != kSounding && !(k == 1 && first == 0)) continue;
        pos.NoteLengthID[k] = static_cast<uint8_t>(id);
        // The length goes with the rhythm, or the measure would count the old one.
        pos.NoteTick[k] = TickOf(id, pos.NoteAttr);
    }
}

bool NoteEntry::UpdateKyufuData(int m, int p, bool& chk) {
    chk = false;
    if (!ValidPosition(m, p)) return false;
    SetNoteData_kyf();
    OnpuData& pos = Dan().Syosetsu[m].Onpu[p];
    const OnpuData& c = CurOnpu();
    for (int k = 1; k <= Strings(); ++k) {
        pos.FletUse[k] = c.FletUse[k];
        pos.Flet[k] = c.Flet[k];
        pos.NoteLengthID[k] = c.NoteLengthID[k];
        pos.NoteTick[k] = c.NoteTick[k];
    }
    for (int b : {kAttrDot, kAttrTie, kAttrSlur}) SetBit(pos.NoteAttr, b, false);
    chk = true;
    return true;
}

void NoteEntry::DeleteNote(int m, int p) {
    if (!ValidPosition(m, p)) return;
    SyosetsuData& ms = Dan().Syosetsu[m];
    for (int j = p; j < ms.OnpuCnt; ++j) ms.Onpu[j] = ms.Onpu[j + 1];
    ms.Onpu[ms.OnpuCnt] = OnpuData{};
    ms.OnpuCnt = static_cast<int16_t>(ms.OnpuCnt - 1);
}

void NoteEntry::RenumberPosNo() {
    for (auto& ms : Dan().Syosetsu)
        for (int j = 1; j <= std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions); ++j) ms.Onpu[j].PosNo = static_cast<int16_t>(j);
}

bool NoteEntry::SelectedPosition(int& m, int& p) const {
    const std::string& t = UpdateTag;
    if (t.size() < 4 || t[2] != '/') return false;
    m = std::atoi(t.substr(0, 2).c_str());
    p = std::atoi(t.substr(3).c_str());
    return ValidPosition(m, p);
}

void NoteEntry::SelectPosition(int m, int p, bool rest) {
    UpdateTag = PositionTag(m, p, rest);
    UpdateEnabled = !rest;
    RestButtonsEnabled = rest;
    g_.CurSyosetsuIx = static_cast<int16_t>(std::clamp(m, 0, kMaxMeasures - 1));
}

void NoteEntry::Relayout(const char* what) {
    if (RowEditor* ed = host_.ActiveEditor()) ed->ReLayoutTAB(what);
}

void NoteEntry::Edited() { host_.NoteRowEdited(); }

// ---------------------------------------------------------------- commands

void NoteEntry::UpdateProc() {
    int m = 0, p = 0;
    if (!SelectedPosition(m, p)) {
        UpdateEnabled = false;
        Notify();
        return;
    }
    bool chk = false;
    UpdateNoteData(m, p, chk);
    UpdateEnabled = false;
    if (!chk) {
        DeleteNote(m, p);
        RenumberPosNo();
    }
    Relayout("all");
    Edited();
    host_.AsistoTransparent();
    Notify();
}

void NoteEntry::QuickUpdate() {
    if (!Live || !UpdateEnabled) {
        Notify();
        return;
    }
    int m = 0, p = 0;
    SelectedPosition(m, p);
    const int before = ValidPosition(m, p) ? Dan().Syosetsu[m].OnpuCnt : -1;
    UpdateProc();
    // The position stays selected while it exists, so the next change of a
    // chord's string or its rhythm goes to it as well.
    if (before >= 0 && Dan().Syosetsu[m].OnpuCnt == before && ValidPosition(m, p)) UpdateEnabled = true;
    Notify();
}

int NoteEntry::AutoStemDown() {
    if (!host_.StaffShown()) return 0;
    const OnpuData& c = CurOnpu();
    std::vector<int> steps;
    for (int k = 1; k <= Strings(); ++k)
        if (c.FletUse[k] == kSounding) steps.push_back(host_.StaffLine(k, c.Flet[k]));
    if (steps.empty()) return 0;
    std::sort(steps.begin(), steps.end());
    const int middle = 4;
    return middle - steps.front() >= steps.back() - middle ? 1 : 0;
}

void NoteEntry::FletPosClick() {
    if (Tab != 1) {
        SetNoteData();
        chkRenhaku = chkSlar = chkSlar2 = false;
        chkDownUp = AutoStemDown() == 1;
        EffectItem.fill(0);
        SetNoteData();
    }
    Live = true;
}

void NoteEntry::OptFletClick(int string, int item) {
    item = std::clamp(item, 0, kFretItems - 1);
    if (string >= 1 && string <= 6) FletChoice[string] = item == 0 ? 0 : FretOfItem(item) + 1;
    // "×" only silences the string: a tie or slur of the position stays.
    if (item != 0) FletPosClick();
    // A click on an empty place of the row marked a string: the fret chosen
    // now starts a new position there.
    if (g_.NewNoteFlag == 1 && item != 0 && Tab != 1) {
        PlaceAtMarker();
        return;
    }
    QuickUpdate();
}

void NoteEntry::PlaceAtMarker() {
    RowEditor* ed = host_.ActiveEditor();
    if (!ed) return;
    if (!PutAtMarker(*ed)) {
        Notify();
        return;
    }
    g_.NewNoteFlag = 0;
    const int m = g_.CurSyosetsuIx;
    SelectPosition(m, Dan().Syosetsu[m].OnpuCnt, false);
    if (host_.RedrawMeasure()) Relayout("0");
    Notify();
}

bool NoteEntry::PutAtMarker(RowEditor& ed) {
    const SceneLabel& mk = ed.Scene().labFletEdit;
    g_.Entry.BeforeX = std::to_string(RoundHalfEven(mk.Left));
    g_.Entry.BeforeY = std::to_string(RoundHalfEven(mk.Top));
    return ed.PutNoteAt(mk.Left + mk.Width / 2, mk.Top);
}

void NoteEntry::HScrollChange(int value) {
    ClearFlet2();
    SetFletCaption(value);
    Notify();
}

void NoteEntry::LenClick(int option) {
    option = std::clamp(option, 0, 5);
    LenOption = option;
    if (option < 5) {
        g_.Entry.CurNoteLengthID = static_cast<int16_t>(option);
        host_.Show3renOption(false);
    } else {
        if (!IsTripletId(g_.Entry.CurNoteLengthID)) g_.Entry.CurNoteLengthID = 7;
        host_.Show3renOption(true);
    }
    chkFuten = false;
    QuickUpdate();
}

void NoteEntry::CheckClick(int box, bool on) {
    switch (box) {
        case 0: chkSlar = on; break;
        case 1: chkSlar2 = on; break;
        case 2: chkFuten = on; break;
        case 3: chkRenhaku = on; break;
        case 4:
            chkDownUp = on;
            StemChosen = true;
            break;
        default: return;
    }
    if ((box == 0 || box == 1) && !on) EffectItem.fill(0);
    QuickUpdate();
}

void NoteEntry::EffectClick(int string, int item) {
    if (string < 1 || string > 6) return;
    EffectItem[string] = std::clamp(item, 0, 4);
    if (item >= 1 && item <= 3) chkSlar2 = true;
    QuickUpdate();
}

void NoteEntry::KyufuClick(int tag) {
    KyufuTag = std::clamp(tag, 0, 4);
    Notify();
}

void NoteEntry::TabClick(int tab) {
    if (tab == 3 || Tab == 3) {
        Tab = tab;
        Notify();
        return;
    }
    Tab = std::clamp(tab, 0, 3);
    if (Tab != 1) FletPosClick();
    Notify();
}

void NoteEntry::CmdAdd() {
    RowEditor* ed = host_.ActiveEditor();
    if (!ed) return;
    bool anyFret = false;
    for (int k = 1; k <= Strings(); ++k) anyFret = anyFret || FletChoice[k] != 0;
    if (Tab != 1 && !anyFret && !chkSlar) {
        Relayout("all");
        Notify();
        return;
    }
    if (Tab == 1)
        SetNoteData_kyf();
    else
        SetNoteData();
    const int m = std::clamp<int>(g_.CurSyosetsuIx, 0, kMaxMeasures - 1);
    const DanLayoutData& lay = s_.DanLayout[s_.CurDanIx];
    const double x = lay.SyosetsuLeft[m + 1], y = lay.TabTop;
    g_.Entry.BeforeX = std::to_string(static_cast<long>(x));
    g_.Entry.BeforeY = std::to_string(static_cast<long>(y));
    if (!ed->PutNoteAt(x, y)) {
        Notify();
        return;
    }
    const int cm = g_.CurSyosetsuIx;
    host_.MoveKoSetForm(cm, ed->GetLabInxLast(cm), false);
    if (host_.RedrawMeasure()) Relayout("0");
    Notify();
}

void NoteEntry::CmdInsert(int after) {
    RowEditor* ed = host_.ActiveEditor();
    int m = 0, p = 0;
    if (!ed || !SelectedPosition(m, p)) return;
    if (Tab == 1)
        SetNoteData_kyf();
    else
        SetNoteData();
    // CurOnpu goes in after position q; the following notes move on.
    const int q = after ? p : p - 1;
    if (!ed->InsertNote(m, q)) {
        Notify();
        return;
    }
    RenumberPosNo();
    Relayout("all");
    UpdateEnabled = false;
    Edited();
    Notify();
}

void NoteEntry::CmdClear() {
    if (!UpdateEnabled) return;
    // The position takes the controls as they stand; it goes when nothing
    // sounds and no tie or slur keeps it.
    UpdateEnabled = false;
    UpdateProc();
    RenumberPosNo();
    Relayout("all");
    Notify();
}

void NoteEntry::CmdUndo() {
    host_.NoteUndo();
    Notify();
}

void NoteEntry::CmdUpdateKyf() {
    int m = 0, p = 0;
    if (!SelectedPosition(m, p)) return;
    bool chk = false;
    UpdateKyufuData(m, p, chk);
    RestButtonsEnabled = false;
    Relayout("all");
    Edited();
    Notify();
}

void NoteEntry::CmdDeleteKyf() {
    int m = 0, p = 0;
    if (!SelectedPosition(m, p)) return;
    DeleteNote(m, p);
    RenumberPosNo();
    RestButtonsEnabled = false;
    UpdateEnabled = false;
    Relayout("all");
    Edited();
    Notify();
}

bool NoteEntry::SetNoteChordData(const std::string& chord, int index) {
    int32_t root = 0;
    std::string type = "m";
    SplitChordName(chord, root, type);
    std::array<int32_t, 4> frets{};
    if (!GetChordFrets(root, type, index, frets)) return false;
    OnpuData& c = CurOnpu();
    const int id = g_.Entry.CurNoteLengthID;
    for (int b : {kAttrDot, kAttrTie, kAttrSlur, kAttrBeam}) SetBit(c.NoteAttr, b, false);
    for (int k = 1; k <= 4; ++k) {
        c.Flet[k] = static_cast<uint8_t>(std::clamp<int32_t>(frets[k - 1], 0, 255));
        c.FletUse[k] = kSounding;
        c.NoteLengthID[k] = static_cast<uint8_t>(id);
        c.NoteTick[k] = TickOf(id, c.NoteAttr);
    }
    c.SanrenOpt = static_cast<uint8_t>(g_.Entry.CurSanrenOpt);
    return true;
}

void NoteEntry::BunNoteClick(int item) {
    g_.Entry.CurNoteLengthID = static_cast<int16_t>(6 + std::clamp(item, 0, 2));
    if (item != 1 && (g_.Entry.CurSanrenOpt == 1 || g_.Entry.CurSanrenOpt == 2)) g_.Entry.CurSanrenOpt = 0;
    QuickUpdate();
}

void NoteEntry::TypeClick(int item) {
    // "タータ" and "タター" exist only for a quarter-note group.
    if ((item == 1 || item == 2) && g_.Entry.CurNoteLengthID != 7) return;
    SetCurSanrenOpt(item);
    QuickUpdate();
}

// ---------------------------------------------------------------- pop-up menu

void NoteEntry::SetBityoseiNote(int string, char sign) {
    int m = 0, p = 0;
    if (!SelectedPosition(m, p) || string < 1 || string > Strings()) return;
    uint8_t& f = Dan().Syosetsu[m].Onpu[p].Flet[string];
    if (sign == '+' && f <= 21) ++f;
    if (sign == '-' && f > 0) --f;
    UpdateEnabled = false;
    Relayout("all");
    Edited();
    Notify();
}

void NoteEntry::FlatSharpToggle(int string) {
    int m = 0, p = 0;
    if (!SelectedPosition(m, p) || string < 1 || string > Strings()) return;
    OnpuData& pos = Dan().Syosetsu[m].Onpu[p];
    uint8_t& acc = pos.Accidental[string];
    const bool b7 = GetBit(acc, 0), b6 = GetBit(acc, 1), b5 = GetBit(acc, 2);
    if (b6) {
        SetBit(acc, 1, false);
        SetBit(acc, 2, true);
        SetBit(acc, 0, !b7);
        if (b7) pos.StaffPos[string] = static_cast<int16_t>(pos.StaffPos[string] - 1);
    } else if (b5) {
        SetBit(acc, 1, true);
        SetBit(acc, 2, false);
        SetBit(acc, 0, !b7);
        if (!b7) pos.StaffPos[string] = static_cast<int16_t>(pos.StaffPos[string] + 1);
    } else {
        return;
    }
    Relayout("all");
    Edited();
    Notify();
}

void NoteEntry::ChgNote2Kyufu() {
    int m = 0, p = 0;
    if (!SelectedPosition(m, p)) return;
    OnpuData& pos = Dan().Syosetsu[m].Onpu[p];
    int s = 1;
    for (int k = 1; k <= Strings(); ++k)
        if (pos.FletUse[k] == kSounding) {
            s = k;
            break;
        }
    if (pos.NoteLengthID[s] < 5) {
        const int id = pos.NoteLengthID[s] + 21;
        pos.FletUse[1] = kSounding;
        pos.NoteLengthID[1] = static_cast<uint8_t>(id);
        pos.NoteTick[1] = TickOf(id, pos.NoteAttr);
        Relayout("all");
        Edited();
    }
    UpdateEnabled = false;
    Notify();
}

void NoteEntry::PopupFret(int string, int item) {
    if (string < 1 || string > Strings()) return;
    SetFletPosNo(string, item);
    SetNoteData();
    Live = true;
    if (g_.NewNoteFlag == 1 && item != 0) {
        PlaceAtMarker();
        return;
    }
    if (UpdateEnabled) {
        QuickUpdate();
    } else {
        UpdateProc();
    }
}

void NoteEntry::PopupRhythm(int item) {
    if (item < 0 || item > 6) return;
    if (item < 5) {
        SetRyhthm(item);
        LenClick(item);
        return;
    }
    // "３連符": triplet eighths in a quarter; "２拍３連符": triplet quarters in a half.
    SetRyhthm(item == 5 ? 7 : 8);
    LenOption = 5;
    chkFuten = false;
    QuickUpdate();
}

void NoteEntry::PopupToggle(int box) {
    const bool cur = box == 0 ? chkSlar : box == 1 ? chkSlar2 : box == 2 ? chkFuten : box == 3 ? chkRenhaku : chkDownUp;
    CheckClick(box, !cur);
    UpdateEnabled = false;
    Notify();
}

void NoteEntry::NoteCopy() {
    Clipboard = CurOnpu();
    UpdateEnabled = false;
    Notify();
}

void NoteEntry::NotePaste() {
    RowEditor* ed = host_.ActiveEditor();
    if (!ed) return;
    CurOnpu() = Clipboard;
    if (!PutAtMarker(*ed)) return;
    if (host_.RedrawMeasure()) {
        UpdateEnabled = false;
        Relayout("0");
    }
    Notify();
}

// ---------------------------------------------------------------- keyboard

int NoteEntry::CursorCount() const {
    return std::clamp<int>(s_.DanBuf[s_.CurDanIx].Syosetsu[std::clamp(CursorM, 0, kMaxMeasures - 1)].OnpuCnt, 0,
                           kMaxPositions);
}

void NoteEntry::SetCursor(int m, int p, int string) {
    CursorM = std::clamp(m, 0, std::max(0, std::min<int>(s_.CurSyosetsuCnt, kMaxMeasures) - 1));
    CursorP = std::clamp(p, 1, CursorCount() + 1);
    CursorString = std::clamp(string, 1, Strings());
    pendingDigit_ = -1;
    ShowCursor();
}

void NoteEntry::ShowCursor() {
    if (RowEditor* ed = host_.ActiveEditor()) ed->ShowKeyCursor(CursorM, CursorP, CursorString);
    Notify();
}

bool NoteEntry::SelectCursorPosition() {
    g_.CurSyosetsuIx = static_cast<int16_t>(CursorM);
    if (CursorP > CursorCount()) {
        UpdateEnabled = RestButtonsEnabled = false;
        UpdateTag.clear();
        return false;
    }
    const OnpuData& pos = Dan().Syosetsu[CursorM].Onpu[CursorP];
    SelectPosition(CursorM, CursorP, false);
    if (pos.IsRest()) {
        // A fret typed on a rest makes it a note of the rest's value.
        ClearFlet2();
        SetRyhthm(pos.NoteLengthID[1] - 21);
        chkFuten = chkSlar = chkSlar2 = false;
    } else {
        SetNowData(CursorM, CursorP);
    }
    Live = true;
    return true;
}

void NoteEntry::TypeFret(int fret) {
    Tab = 0;
    if (SelectCursorPosition()) {
        SetFletPosNo(CursorString, fret + 1);
        SetNoteData();
        QuickUpdate();
    } else {
        // After the last note: a new position with this fret.
        ClearFlet2();
        chkSlar = chkSlar2 = false;
        EffectItem.fill(0);
        SetFletPosNo(CursorString, fret + 1);
        if (!StemChosen) {
            // Not the stems of the note the cursor passed: those of its pitch.
            SetNoteData();
            chkDownUp = AutoStemDown() == 1;
        }
        g_.NewNoteFlag = 0;
        CmdAdd();
        CursorM = g_.CurSyosetsuIx;
        CursorP = CursorCount();
    }
    ShowCursor();
}

void NoteEntry::KeyDigit(int digit, long long ms) {
    if (digit < 0 || digit > 9 || !host_.ActiveEditor()) return;
    int fret = digit;
    const bool inTime = pendingDigit_ >= 0 && ms - pendingAt_ <= 800;
    if (inTime && pendingDigit_ * 10 + digit > kMaxTypedFret) {
        // No such fret: the first digit stays as typed and may still get a
        // second one.
        host_.Refuse("フレットは0から" + std::to_string(kMaxTypedFret) + "までです（" +
                     std::to_string(pendingDigit_ * 10 + digit) + "は入力できません）");
        pendingAt_ = ms;
        return;
    }
    const bool second = inTime;
    if (second) {
        fret = pendingDigit_ * 10 + digit;
        pendingDigit_ = -1;
        // The first digit made (or changed) the note under the cursor.
        if (CursorP > CursorCount()) CursorP = CursorCount();
    }
    TypeFret(fret);
    if (!second && (digit == 1 || digit == 2)) {
        pendingDigit_ = digit;
        pendingAt_ = ms;
    } else {
        pendingDigit_ = -1;
    }
}

void NoteEntry::KeyCommand(Key key) {
    if (!host_.ActiveEditor()) return;
    pendingDigit_ = -1;
    const int cnt = std::min<int>(s_.CurSyosetsuCnt, kMaxMeasures);
    switch (key) {
        case kKeyUp: CursorString = std::max(1, CursorString - 1); break;
        case kKeyDown: CursorString = std::min(Strings(), CursorString + 1); break;
        case kKeyRight:
            if (CursorP <= CursorCount()) {
                ++CursorP;
            } else if (CursorM + 1 < cnt) {
                ++CursorM;
                CursorP = 1;
            }
            break;
        case kKeyLeft:
            if (CursorP > 1) {
                --CursorP;
            } else if (CursorM > 0) {
                --CursorM;
                CursorP = std::max(1, CursorCount());
            }
            break;
        case kKeyDelete:
            if (SelectCursorPosition() && !Dan().Syosetsu[CursorM].Onpu[CursorP].IsRest()) {
                SetFletPosNo(CursorString, 0);
                SetNoteData();
                QuickUpdate();
                CursorP = std::clamp(CursorP, 1, CursorCount() + 1);
            }
            break;
        case kKeyRest: {
            const int id = std::clamp<int>(g_.Entry.CurNoteLengthID, 0, 4);
            KyufuTag = KyufuTagOfRestId(id + 21);
            if (KyufuTag < 0) KyufuTag = 0;
            if (SelectCursorPosition()) {
                bool chk = false;
                const int keep = Tab;
                UpdateKyufuData(CursorM, CursorP, chk);
                Tab = keep;
                UpdateEnabled = false;
                Relayout("all");
                Edited();
            } else {
                Tab = 1;
                CmdAdd();
                Tab = 0;
                CursorM = g_.CurSyosetsuIx;
                CursorP = std::max(1, CursorCount());
            }
            break;
        }
        case kKeyLonger:
        case kKeyShorter: {
            const bool onPos = SelectCursorPosition();
            if (onPos && Dan().Syosetsu[CursorM].Onpu[CursorP].IsRest()) {
                OnpuData& pos = Dan().Syosetsu[CursorM].Onpu[CursorP];
                const int id = std::clamp(pos.NoteLengthID[1] + (key == kKeyLonger ? -1 : 1), 21, 25);
                pos.NoteLengthID[1] = static_cast<uint8_t>(id);
                pos.NoteTick[1] = TickOf(id, 0);
                UpdateEnabled = false;
                Relayout("all");
                Edited();
                break;
            }
            const int cur = IsTripletId(g_.Entry.CurNoteLengthID) ? 3 : std::clamp<int>(g_.Entry.CurNoteLengthID, 0, 4);
            const int id = std::clamp(cur + (key == kKeyLonger ? -1 : 1), 0, 4);
            SetRyhthm(id);
            LenClick(id);
            break;
        }
        case kKeyDot:
            if (SelectCursorPosition() && !Dan().Syosetsu[CursorM].Onpu[CursorP].IsRest()) {
                CheckClick(2, !chkFuten);
            } else {
                chkFuten = !chkFuten;
            }
            break;
    }
    if (CursorP <= CursorCount()) {
        // The dialog shows the note under the cursor.
        SelectCursorPosition();
    } else {
        UpdateEnabled = false;
    }
    ShowCursor();
}

}  // namespace lw
