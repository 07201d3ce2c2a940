#include "row_editor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "layout_messages.h"
#include "messages.h"
#include "row_geometry.h"

namespace lw {
namespace {

// A repeat-dot picture stands 20 twips above a reference line. Its Tag
// tells where the two dots go, in half line intervals from that line, so
// that they sit in spaces symmetric about the middle of the lines: on six
// strings the second and fourth space, on five the second and third, on
// four the first and third.
const char* TabDotSpaces(int maxStringIx) {
    return maxStringIx == 4 ? "-1,1" : "-1,3";
}

void SetRepeatDotSpan(ScenePicture& p, double interval, const char* halfSteps) {
    p.Height = 2 * interval + 40;
    p.Tag = halfSteps;
}


std::string TwoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string CellTagText(int m, int p, int restFlag) {
    return TwoDigits(m) + "/" + TwoDigits(p) + "/" + std::to_string(restFlag);
}

std::string IntText(double v) { return std::to_string(RoundHalfEven(v)); }

// Stored coordinates are 16 bits; a value outside saturates rather than wraps.
int16_t I16(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int16_t>(RoundHalfEven(std::clamp(v, -32768.0, 32767.0)));
}

Stamp RestStamp(int id) {
    switch (id) {
        case 21: case 22: return Stamp::pic2Kyufu;
        case 23: return Stamp::pic4Kyufu;
        case 24: return Stamp::pic8Kyufu;
        case 25: return Stamp::pic16Kyufu;
        default: return Stamp::None;
    }
}

template <class T>
T& Ensure(std::vector<T>& v, size_t index) {
    // New elements are copies of the template (element 0).
    while (v.size() <= index) {
        T e = v.empty() ? T{} : v[0];
        e.Visible = false;
        v.push_back(e);
    }
    return v[index];
}

}  // namespace

bool IsRowCaption(const std::string& caption) {
    static const std::string suffix = "段目";
    if (caption.size() <= suffix.size() || caption.compare(caption.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const size_t digits = caption.size() - suffix.size();
    if (digits < 1 || digits > 2) return false;
    for (size_t i = 0; i < digits; ++i)
        if (caption[i] < '0' || caption[i] > '9') return false;
    return true;
}

RowEditor::RowEditor(Session& s, EditorGlobals& g, RowScene& scene, RowItems& items, UiPort& ui,
                     RowPort& port, int slot)
    : s_(s), g_(g), scene_(scene), items_(items), ui_(ui), port_(port), slot_(slot),
      cellWidth_(scene.labPos[0].Width) {
    if (scene_.labKugiri.size() < static_cast<size_t>(kMaxMeasures)) {
        SceneLabel handle;
        handle.Width = 120;
        handle.Height = 240;
        handle.BackStyle = 1;
        scene_.labKugiri.resize(kMaxMeasures, handle);
    }
    if (scene_.picRepten[0].Width == 0) {
        scene_.picRepten[0].Width = 60;
        scene_.picRepten[0].Height = 180;
        scene_.picRepten[0].Image = Stamp::picRepten;
    }
}

DanData& RowEditor::Dan() { return s_.DanBuf[slot_]; }
DanLayoutData& RowEditor::Lay() { return s_.DanLayout[slot_]; }

bool RowEditor::RefuseCoordinate() {
    ShowMsg(ui_, kMsgCoordinateRange, "16");
    return false;
}

// ---------------------------------------------------------------- layout

void RowEditor::InVisibleLabPos() {
    for (size_t i = 1; i < scene_.labPos.size(); ++i) scene_.labPos[i].Visible = false;
    for (size_t i = 1; i < scene_.picKyufu.size(); ++i) scene_.picKyufu[i].Visible = false;
}

void RowEditor::InVisibleLabInx() {
    for (auto& arr : scene_.labInx)
        for (size_t i = 1; i < arr.size(); ++i) arr[i].Visible = false;
}

void RowEditor::PutFletLabel(OnpuData& pos, int k, int st, double x) {
    const auto& lay = Lay();
    SceneLabel& lab = Ensure(scene_.labPos, static_cast<size_t>(k));
    const double top = lay.TabTop + (st - 1) * static_cast<double>(lay.StringInterval) - lab.Height / 2;
    PosRectData r{I16(top), I16(x), I16(lab.Height), I16(lab.Width)};
    pos.PosRect[st] = r;
    g_.Entry.CurOnpu.PosRect[st] = r;
    lab.Left = (cellWidth_ - lab.Width) / 2 + x - (g_.DrawNote ? 60 : 0);
    lab.Top = top;
    lab.Z = scene_.BringToFront();
    const bool used = pos.FletUse[st] == kSounding;
    lab.Caption = used ? std::to_string(pos.Flet[st]) : std::string();
    lab.Visible = used;
}

void RowEditor::PutKyufuPic(int, int r, OnpuData& pos, double x) {
    const auto& lay = Lay();
    ScenePicture& pic = Ensure(scene_.picKyufu, static_cast<size_t>(r));
    pic.Image = RestStamp(pos.NoteLengthID[1]);
    pic.Left = x;
    const SceneLabel& tmpl = scene_.labPos[0];
    const double cellTop = lay.TabTop + lay.StringInterval - tmpl.Height / 2;
    pos.PosRect[1] = PosRectData{I16(cellTop), I16(x), I16(tmpl.Height), I16(tmpl.Width)};
    const int id = pos.NoteLengthID[1];
    const double h = pic.Height;
    double top;
    if (g_.DrawNote) {
        const double st = lay.StaffTop, iv = lay.StaffInterval;
        // The whole rest hangs from the fourth line, the half rest sits on
        // the middle line.
        top = id == 23 ? st + 0.5 * iv : id == 24 ? st + 2 * iv : id == 22 ? st + iv + 20 : id == 21 ? st + 0.5 * iv : st + 1.5 * iv;
    } else if (s_.PosRhythm == 2 || s_.PosRhythm == 3) {
        const double t = lay.TabTop, iv = lay.StringInterval;
        top = id == 23 ? t + 4.5 * iv : id == 24 ? t + 5.5 * iv : t + 5 * iv;
    } else {
        const double t = lay.TabTop, iv = lay.StringInterval;
        top = id == 23 ? t - iv / 2 - h : id == 24 ? t - 3 * h / 4 : t - h;
    }
    pic.Top = top;
    pic.Z = scene_.BringToFront();
    pic.Visible = pos.FletUse[1] == kSounding;
}

void RowEditor::LayoutPositions() {
    DanData& dan = Dan();
    int label = 0, rest = 0;
    const int strings = s_.MaxStringIx + 1;
    const int cnt = std::min<int>(s_.CurSyosetsuCnt, kMaxMeasures);
    for (int m = 0; m < cnt; ++m) {
        SyosetsuData& ms = dan.Syosetsu[m];
        const int n = std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions);
        // The x of each position, added in the same order as GetNoteXExact
        // does (left + offset + inset) so that both round a tie the same way.
        const double inset = NoteAreaInset(Lay(), m);
        const double available = Lay().SyosetsuWidth[m] - inset;
        const double left = Lay().SyosetsuLeft[m % std::max(cnt, 1)];
        const std::vector<double> off = NoteOffsets(ms, strings, available, dan.MeterID);
        for (int p = 1; p <= n; ++p) {
            OnpuData& pos = ms.Onpu[p];
            double x = left + off[p - 1] + inset;
            if (!FitsI16(x)) x = std::clamp(x, -32768.0, 32767.0);  // never wraps; drag and entry refuse earlier
            x = static_cast<double>(RoundHalfEven(x));
            int restFlag;
            if (IsRestPosition(pos)) {
                PutKyufuPic(m, ++rest, pos, x);
                restFlag = 1;
            } else {
                for (int st = 1; st <= strings; ++st) {
                    PutFletLabel(pos, ++label, st, x);
                    char tag[48];
                    std::snprintf(tag, sizeof tag, "%02d/%02d/0/%d", m, p, st);
                    scene_.labPos[label].Tag.assign(tag);
                }
                restFlag = 0;
            }
            // The cell names the position it covers: p is the record's own
            // index (PosNo), also should a record carry a stale PosNo.
            SceneLabel& cell = GetLabInx(m, p, restFlag);
            cell.Tag = CellTagText(m, p, restFlag);
            cell.Left = x;
            cell.Width = cellWidth_;
            cell.Top = 0;
            cell.Height = scene_.WindowHeight;
            cell.Visible = true;
        }
        ms.DrawFlag = 0;
    }
}

bool RowEditor::ReLayoutTAB(const std::string& what) {
    InVisibleLabPos();
    InVisibleLabInx();
    port_.NoteEntryHide();
    const int16_t keep = g_.CurSyosetsuIx;
    port_.ClearAccidentalMemory();
    LayoutPositions();
    g_.CurSyosetsuIx = keep;
    if (s_.RhythmRewrite && !port_.PutRhythm(what)) return false;
    if (!g_.KeepNoteEntryHidden) port_.NoteEntryShow();
    return true;
}

void RowEditor::Refresh() {
    ReLayoutTAB("all");
    LoadKugiri();
    LoadChord();
    port_.NoteEntryShow();
}

void RowEditor::ReDraw() {
    port_.NoteEntryHide();
    port_.PutRhythm("all");
    port_.NoteEntryShow();
}

void RowEditor::AfterSettingsRead() {
    UnLoadRepten();
    LoadKugiri();
    Refresh();
}

void RowEditor::UnLoadChord() { scene_.labChord.resize(1); }

void RowEditor::LoadChord() {
    UnLoadChord();
    const auto& lay = Lay();
    const double h = scene_.labChord[0].Height;
    // Chord names sit above everything drawn over the TAB: above the staff
    // in the staff styles, above the rhythm when it is drawn over the TAB.
    double top;
    // With notes on the staff, above the stems of the notes in the top space,
    // and below a title at the top of the row.
    if ((s_.PosRhythm == 1 || s_.PosRhythm == 2) && g_.DrawNote) top = lay.StaffTop - 3 * lay.StaffInterval - h;
    else if (s_.PosRhythm == 1 || s_.PosRhythm == 2) top = lay.StaffTop - lay.StaffInterval - h;
    else if (s_.PosRhythm == 4) top = lay.TabTop - 4 * lay.StringInterval - h;
    else top = lay.TabTop - lay.StringInterval / 2 - h;
    if (top < 0) top = 0;
    const double low = (s_.PosRhythm == 1 || s_.PosRhythm == 2) ? std::max(top, lay.StaffTop - lay.StaffInterval - h) : top;
    const int cnt = std::min<int>(s_.CurSyosetsuCnt, kMaxMeasures);
    for (int m = 0; m < cnt; ++m) {
        const SyosetsuData& ms = Dan().Syosetsu[m];
        const float second = static_cast<float>(lay.SyosetsuWidth[m] - 300) / 4.0f * 2.0f +
                             static_cast<float>(lay.SyosetsuLeft[m]) + 80.0f;
        // The first measure's name stands over its first note when the row
        // start (clef, key signature) takes more room than a measure's inset.
        const double first = m == 0 && lay.RowStartInset > kNoteAreaInset ? lay.RowStartInset - 60.0 : 100.0;
        const double lefts[2] = {lay.SyosetsuLeft[m] + first, static_cast<double>(second)};
        const std::string* names[2] = {&ms.Chord1, &ms.Chord2};
        for (int i = 0; i < 2; ++i) {
            if (names[i]->empty()) continue;
            SceneLabel lab = scene_.labChord[0];
            lab.Left = lefts[i];
            lab.Top = top;
            // Under a free text (a title at the row's top) the name keeps to
            // just above the staff.
            for (size_t t = 1; t < items_.Texts.size() && top < low; ++t) {
                const TextItem& x = items_.Texts[t];
                if (x.Visible && x.Left < lab.Left + lab.Width && lab.Left < x.Left + x.Width &&
                    x.Top < top + h && top < x.Top + x.Height)
                    lab.Top = low;
            }
            lab.Caption = *names[i];
            lab.Tag = std::to_string(m) + "/" + std::to_string(i + 1);
            lab.Visible = true;
            lab.Z = scene_.BringToFront();
            scene_.labChord.push_back(lab);
        }
    }
}

// ------------------------------------------------------------- bar lines

void RowEditor::UnLoadRepten() { scene_.picRepten.resize(1); }

void RowEditor::UnLoadKugiliLine() {
    scene_.lineKugiri.resize(1);
    for (auto& h : scene_.labKugiri) h.Visible = false;
}

void RowEditor::LoadKugiri() {
    UnLoadRepten();
    if (scene_.lineKugiri.size() < static_cast<size_t>(4 + 6 * kMaxMeasures))
        scene_.lineKugiri.resize(4 + 6 * kMaxMeasures, SceneLine{});
    for (size_t i = 1; i < scene_.lineKugiri.size(); ++i) scene_.lineKugiri[i].Visible = false;
    for (auto& h : scene_.labKugiri) h.Visible = false;

    const auto& lay = Lay();
    const bool staff = s_.PosRhythm == 1 || s_.PosRhythm == 2;
    const double d = static_cast<double>(RoundHalfEven(4.0 * s_.TwipsPerPixelX));
    const double x = lay.SyosetsuLeft[0];
    const double tabTop = lay.SyosetsuTop[0], tabBot = lay.SyosetsuTop[0] + lay.SyosetsuHeight[0];
    const double staffTop = lay.StaffTop, staffBot = lay.StaffTop + lay.StaffHeight;
    const bool rep = Dan().TopRepStart != 0;
    // The clef and "TAB" stand right of the repeat dots, not on them.
    Lay().RowStartLead = static_cast<int16_t>(rep ? d + 20 + scene_.picRepten[0].Width + 60 : 0);
    auto& l = scene_.lineKugiri;
    // Leading bar: 1 staff part, 2 TAB part, 3 the thin companion of a repeat start.
    l[1] = SceneLine{x, staffTop, x, staffBot, rep ? 3 : 1, staff};
    l[2] = SceneLine{x, rep && staff ? staffTop : tabTop, x, tabBot, rep ? 3 : 1, true};
    l[3] = SceneLine{x + d, staff ? staffTop : tabTop, x + d, tabBot, 1, rep};
    if (rep) {
        auto dot = [&](double left, double top) {
            ScenePicture p = scene_.picRepten[0];
            p.Left = left;
            p.Top = top;
            p.Visible = true;
            scene_.picRepten.push_back(p);
        };
        const double left = x + d + 20;
        dot(left, lay.TabTop + (s_.MaxStringIx == 3 ? 1 : 2) * lay.StringInterval - 20);
        SetRepeatDotSpan(scene_.picRepten.back(), lay.StringInterval, TabDotSpaces(s_.MaxStringIx));
        if (staff) {
            dot(left, lay.StaffTop + lay.StaffInterval - 20);
            SetRepeatDotSpan(scene_.picRepten.back(), lay.StaffInterval, "1,3");
        }
    }
    const int cnt = std::min<int>(s_.CurSyosetsuCnt, kMaxMeasures);
    for (int m = 0; m < cnt; ++m)
        if (Dan().Syosetsu[m].BarVisible == kTrue) PutKugiriLine(m, 4 + 6 * m);
    ShowKugiriHandles(g_.EditMode == kModeKugiri);
}

void RowEditor::PutKugiriLine(int m, int b) {
    if (m < 0 || m >= kMaxMeasures) return;
    if (scene_.lineKugiri.size() < static_cast<size_t>(b + 6)) scene_.lineKugiri.resize(b + 6, SceneLine{});
    const auto& lay = Lay();
    const SyosetsuData& ms = Dan().Syosetsu[m];
    const bool staff = s_.PosRhythm == 1 || s_.PosRhythm == 2;
    const double d = static_cast<double>(RoundHalfEven(4.0 * s_.TwipsPerPixelX));
    const double e = static_cast<double>(lay.SyosetsuLeft[m]) + lay.SyosetsuWidth[m];
    const double sTop = lay.StaffTop, sBot = lay.StaffTop + lay.StaffHeight;
    const double tTop = lay.SyosetsuTop[m], tBot = lay.SyosetsuTop[m] + lay.SyosetsuHeight[m];
    auto& l = scene_.lineKugiri;
    const double xs[3] = {e - d, e, e + d};
    for (int i = 0; i < 3; ++i) {
        l[b + 2 * i] = SceneLine{xs[i], sTop, xs[i], sBot, 1, false};
        l[b + 2 * i + 1] = SceneLine{xs[i], tTop, xs[i], tBot, 1, false};
    }
    const bool repEnd = ms.BarFlag[kBarRepEnd] != 0, repStart = ms.BarFlag[kBarRepStart] != 0;
    const bool endMark = ms.BarFlag[kBarEndMark] != 0;
    if (!repEnd && !repStart && !endMark) {
        if (!staff) { l[b + 2].Y1 = tTop; l[b + 2].Y2 = tBot; }
    } else {
        l[b + 2].Y1 = staff ? sTop : tTop;
        l[b + 2].Y2 = tBot;
        l[b + 2].BorderWidth = 3;
    }
    const bool shown = ms.BarVisible == kTrue;
    for (int k = 0; k < 6; ++k) l[b + k].Visible = shown && ms.BarFlag[k] != 0;
    l[b + 2].Visible = true;
    l[b + 3].Visible = true;
    if (!staff) { l[b + 0].Visible = false; l[b + 4].Visible = false; }
    if (endMark) {
        l[b + 0].Visible = staff;
        l[b + 1].Visible = true;
    }
    SceneLabel& h = scene_.labKugiri[m];
    h.Top = l[b + 2].Y1 - h.Height / 2;
    h.Left = l[b + 2].X1 - h.Width / 2;
    h.Tag = std::to_string(m);

    auto dots = [&](double left) {
        ScenePicture p = scene_.picRepten[0];
        p.Left = left;
        p.Top = lay.TabTop + (s_.MaxStringIx == 3 ? 1 : 2) * lay.StringInterval - 20;
        p.Visible = true;
        SetRepeatDotSpan(p, lay.StringInterval, TabDotSpaces(s_.MaxStringIx));
        scene_.picRepten.push_back(p);
        if (staff) {
            p.Top = lay.StaffTop + lay.StaffInterval - 20;
            // On the staff the dots sit in the two middle spaces, below the second line.
            SetRepeatDotSpan(p, lay.StaffInterval, "1,3");
            scene_.picRepten.push_back(p);
        }
    };
    if (repEnd) dots(l[b + 0].X1 - scene_.picRepten[0].Width);
    if (repStart) dots(l[b + 4].X1 + 20);
}

void RowEditor::ShowKugiriHandles(bool visible) {
    const int cnt = std::min<int>(s_.CurSyosetsuCnt, kMaxMeasures);
    for (int m = 0; m < static_cast<int>(scene_.labKugiri.size()); ++m) {
        // Every measure's closing bar line has a handle, the last one too:
        // it sets the last measure's width and so the row's right end.
        scene_.labKugiri[m].Visible = visible && m < cnt;
        if (scene_.labKugiri[m].Visible) scene_.labKugiri[m].Z = scene_.BringToFront();
    }
}

bool RowEditor::MoveKugiri(int i, double x) {
    const int cnt = std::min<int>(s_.CurSyosetsuCnt, kMaxMeasures);
    if (i < 0 || i > cnt - 1) return false;
    if (!FitsI16(x)) return RefuseCoordinate();
    auto& lay = Lay();
    const bool last = i == cnt - 1;
    // The bar line stays between its neighbours, and both measures keep the
    // room their notes and chord names need; the last one ends at the latest
    // where the row's lines end. A drop beyond goes as far as it can.
    const double chordWidth = scene_.labChord[0].Width;
    const long lo = lay.SyosetsuLeft[i] + static_cast<long>(std::ceil(MinSyosetsuWidth(s_, i, cellWidth_, chordWidth)));
    const long hi = last ? static_cast<long>(lay.TabLeft) + lay.TabWidth
                         : lay.SyosetsuLeft[i + 2] - static_cast<long>(std::ceil(MinSyosetsuWidth(s_, i + 1, cellWidth_, chordWidth)));
    if (lo > hi) {
        ShowMsg(ui_, kMsgBarLineRange, "16");
        LoadKugiri();
        return false;
    }
    const long nx = std::clamp<long>(RoundHalfEven(x), lo, hi);
    if (!FitsI16(static_cast<double>(nx))) return RefuseCoordinate();
    lay.SyosetsuLeft[i + 1] = static_cast<int16_t>(nx);
    if (!last) lay.SyosetsuWidth[i + 1] = static_cast<int16_t>(lay.SyosetsuLeft[i + 2] - lay.SyosetsuLeft[i + 1]);
    lay.SyosetsuWidth[i] = static_cast<int16_t>(lay.SyosetsuLeft[i + 1] - lay.SyosetsuLeft[i]);
    UnLoadRepten();
    LoadKugiri();
    LoadChord();
    ReLayoutTAB("all");
    port_.RowModified();
    return true;
}

// ------------------------------------------------------ cells, hit tests

void RowEditor::LoadInx(int m, int restFlag) {
    if (m < 0 || m >= kMaxMeasures) return;
    auto& arr = scene_.labInx[m];
    SceneLabel cell = arr[0];
    const int n = static_cast<int>(arr.size());
    cell.Tag = CellTagText(m, n, restFlag);
    cell.Z = scene_.BringToFront();
    cell.Top = 0;
    cell.Height = scene_.WindowHeight;
    cell.Width = cellWidth_;
    cell.BackStyle = 0;
    cell.Visible = false;
    arr.push_back(cell);
}

SceneLabel& RowEditor::GetLabInx(int m, int index, int restFlag) {
    m = std::clamp(m, 0, kMaxMeasures - 1);
    auto& arr = scene_.labInx[m];
    while (static_cast<int>(arr.size()) <= index) LoadInx(m, restFlag);
    return arr[std::max(index, 0)];
}

int RowEditor::GetLabInxLast(int m) const {
    if (m < 0 || m >= kMaxMeasures) return 0;
    return static_cast<int>(scene_.labInx[m].size()) - 1;
}

CellTag RowEditor::ParseLabInxTag(const SceneLabel& cell) {
    CellTag t;
    const std::string& s = cell.Tag;
    if (s.size() < 7 || s[2] != '/' || s[5] != '/') return t;
    try {
        t.measure = std::stoi(s.substr(0, 2));
        t.position = std::stoi(s.substr(3, 2));
        t.restFlag = std::stoi(s.substr(6));
    } catch (...) {
        return CellTag{};
    }
    t.ok = true;
    g_.CurSyosetsuIx = static_cast<int16_t>(t.measure);
    return t;
}

int RowEditor::GetCtrlIndex(int m, int p, int restFlag) const {
    return ::lw::GetCtrlIndex(s_, m, p, restFlag);
}

int RowEditor::GetLineNo() {
    const int k = ::lw::GetLineNo(s_, g_.MouseY);
    if (k >= 1 && k <= s_.MaxStringIx + 1) {
        auto& mk = scene_.labFletEdit;
        mk.Top = Lay().TabTop + (k - 1) * static_cast<double>(Lay().StringInterval) - mk.Height / 2;
        mk.Left = g_.MouseX - mk.Width / 2;
        mk.Visible = true;
        mk.Z = scene_.BringToFront();
    }
    return k;
}

bool RowEditor::Area5ScopeCheck(double x, double y) const { return ::lw::Area5ScopeCheck(s_, x, y); }

int RowEditor::StaffStringAt(double x, double y) {
    // The staff is hit three and a half half-spaces above the pointer, as the
    // pop-up menu's string commands have always picked it.
    int string = 0, fret = 0;
    return port_.StaffPointToStringFret(x, y - Lay().StaffInterval / 2.0 * 3.5, string, fret) ? string : 0;
}

int RowEditor::StringAt(double x, double y) {
    if (Area5ScopeCheck(x, y)) return StaffStringAt(x, y);
    const int k = ::lw::GetLineNo(s_, y);
    return k >= 1 && k <= s_.MaxStringIx + 1 ? k : 0;
}

void RowEditor::Area5HosokuLine(double x, double y) {
    const auto& lay = Lay();
    auto& g = scene_.pic5Sen_Hosoku;
    const double yy = static_cast<double>(RoundHalfEven(y + kStaffAreaMargin - 60));
    if (yy < lay.StaffTop + 5.0 * lay.StaffInterval) {
        if (yy >= lay.StaffTop) {
            g.Visible = false;
            return;
        }
        g.Top = lay.StaffTop - g.Height;
    } else {
        g.Top = lay.StaffTop + 4.0 * lay.StaffInterval;
    }
    g.Left = x - g.Width / 2;
    g.Visible = true;
    g.Z = scene_.BringToFront();
}

void RowEditor::ShowAsisto(double left, bool opaque) {
    auto& a = scene_.labAsisto;
    if (opaque) {
        a.Left = left;
        a.Top = 0;
        a.Width = cellWidth_;
        a.Height = scene_.WindowHeight;
    }
    a.BackStyle = opaque ? 1 : 0;
    a.Visible = true;
}

void RowEditor::ClickLabInx(int m, int index) {
    if (m < 0 || m >= kMaxMeasures || index < 1 || index > GetLabInxLast(m)) return;
    g_.NewNoteFlag = 0;
    const SceneLabel cell = scene_.labInx[m][index];
    const CellTag t = ParseLabInxTag(cell);
    if (!t.ok) return;
    const int k = GetCtrlIndex(t.measure, t.position, t.restFlag);
    ShowAsisto(cell.Left, true);
    if (t.restFlag != 0) {
        port_.SetUpdateTag(cell.Tag);
        port_.SetRestButtons(cell.Tag, false);
        port_.SetNowData_kyf(t.measure, t.position);
        if (k >= 1 && k < static_cast<int>(scene_.picKyufu.size()))
            port_.SetBefore(IntText(scene_.picKyufu[k].Left), IntText(scene_.picKyufu[k].Top));
        port_.MoveKoSetForm(m, index, cell.Left, cell.Top, 0);
        port_.SetRestButtons(cell.Tag, true);
        port_.SelectTab(1);
    } else {
        port_.SetUpdateTag(cell.Tag);
        if (k >= 1 && k < static_cast<int>(scene_.labPos.size()))
            port_.SetBefore(IntText(scene_.labPos[k].Left), IntText(scene_.labPos[k].Top));
        port_.SetNowData(t.measure, t.position);
        port_.MoveKoSetForm(m, index, cell.Left, cell.Top, 0);
        port_.SetUpdateEnabled(true);
        port_.SelectTab(0);
    }
    popupOpen_ = 0;
    if (g_.EditMode == kModeErase) {
        port_.SetUpdateEnabled(false);
        const int string = Area5ScopeCheck(g_.MouseX, g_.MouseY) ? StaffStringAt(g_.MouseX, g_.MouseY) : GetLineNo();
        if (string != 0) port_.SetFletPosNo(string, 0);
        else port_.ClearFlet();
        port_.UpdateProc();
        port_.WriteRecovery();
    }
}

void RowEditor::UnloadLabInx(int m, bool oneMeasure) {
    if (oneMeasure) {
        if (m >= 0 && m < kMaxMeasures) scene_.labInx[m].resize(1);
        return;
    }
    for (auto& arr : scene_.labInx) arr.resize(1);
}

// ------------------------------------------------------------ mouse events

void RowEditor::SetEditMode(int mode) {
    g_.EditMode = static_cast<int16_t>(mode);
    ShowKugiriHandles(mode == kModeKugiri);
    port_.SetMousePointer(mode == kModeStaffNote ? 99 : 0);
}

void RowEditor::SetHanonTool(int item) {
    if (item < 0 || item > 2) return;
    g_.HanonTool = static_cast<int16_t>(item + 1);
    port_.SetMousePointer(99);
}

void RowEditor::PlaceCrossHair(double x, double y) {
    scene_.lineBeemTate = SceneLine{x, 0, x, scene_.WindowHeight, 1, true};
    scene_.lineBeemYoko = SceneLine{0, y, scene_.WindowWidth, y, 1, true};
}

void RowEditor::StaffNoteAt(double x, double y) {
    port_.ClearFlet();
    int string = 0, fret = 0;
    if (!port_.StaffPointToStringFret(x, y, string, fret)) return;
    port_.SelectStringFret(string, fret);
    if (PutNoteAt(x, y)) ReLayoutTAB("0");
}

void RowEditor::FrameMouseDown(int button, double x, double y) {
    g_.MouseX = static_cast<float>(x);
    g_.MouseY = static_cast<float>(y);
    switch (g_.EditMode) {
        case kModeNormal:
            port_.SetUpdateEnabled(false);
            if (button == kLeftButton && !Area5ScopeCheck(x, y)) {
                port_.ClearFlet();
                GetLineNo();
                const auto& mk = scene_.labFletEdit;
                ShowAsisto(mk.Left + mk.Width / 2 - cellWidth_ / 2, true);
                g_.NewNoteFlag = 1;
            }
            break;
        case kModeRowArea:
            port_.RowAreaPick(x, y);
            break;
        case kModeText:
            SetEditMode(kModeNormal);
            LoadTextBox(true);
            break;
        case kModeRepMark:
            SetEditMode(kModeNormal);
            LoadRepMark();
            break;
        case kModeStaffNote:
            if (button == kLeftButton && Area5ScopeCheck(x, y)) StaffNoteAt(x, y);
            break;
        default:
            break;
    }
}

void RowEditor::FrameMouseMove(int, double x, double y) {
    PlaceCrossHair(x, y);
    port_.SetMousePointer(g_.EditMode == kModeStaffNote ? 99 : 0);
    const bool updating = port_.IsUpdateEnabled();
    if (g_.EditMode == kModeStaffNote && Area5ScopeCheck(x, y) && !updating) Area5HosokuLine(x, y);
    else scene_.pic5Sen_Hosoku.Visible = false;
    scene_.labFletEdit.Visible = false;
    if (!updating) scene_.labAsisto.BackStyle = 0;
}

void RowEditor::FrameMouseUp(int button, double, double) {
    if (button == kRightButton) port_.ShowFramePopup();
}

void RowEditor::FrameDragDrop(double x, double y) {
    const DragSource d = drag_;
    drag_ = DragSource{};
    const double left = x - g_.MouseX, top = y - g_.MouseY;
    if (d.kind == DragKind::None) return;
    if (!FitsI16(left) || !FitsI16(top) || !FitsI16(x)) {
        RefuseCoordinate();
        return;
    }
    switch (d.kind) {
        case DragKind::Kugiri:
            if (g_.EditMode != kModeKugiri || d.index < 0 || d.index >= static_cast<int>(scene_.labKugiri.size())) return;
            scene_.labKugiri[d.index].Left = left;
            scene_.labKugiri[d.index].Top = top;
            MoveKugiri(d.index, x);
            break;
        case DragKind::Chord:
            if (d.index > 0 && d.index < static_cast<int>(scene_.labChord.size())) {
                scene_.labChord[d.index].Left = left;
                scene_.labChord[d.index].Top = top;
            }
            break;
        case DragKind::Text:
            if (d.index > 0 && d.index < static_cast<int>(items_.Texts.size())) {
                items_.Texts[d.index].Left = left;
                items_.Texts[d.index].Top = top;
                port_.RowModified();
            }
            break;
        case DragKind::RepMark:
            if (d.index > 0 && d.index < static_cast<int>(items_.RepMarks.size())) {
                items_.RepMarks[d.index].Left = left;
                items_.RepMarks[d.index].Top = top;
                port_.RowModified();
            }
            break;
        default:
            break;
    }
}

void RowEditor::FrameOleDragDrop(double x, double y) {
    if (!PutNoteAt(x, y)) return;
    const int m = g_.CurSyosetsuIx;
    const int last = GetLabInxLast(m);
    if (last >= 1) {
        const SceneLabel& c = scene_.labInx[m][last];
        port_.MoveKoSetForm(m, last, c.Left, c.Top, 0);
    }
    port_.FinishDropEntry();
}

void RowEditor::CellMouseDown(int m, int index, int button, double x, double y) {
    if (m < 0 || m >= kMaxMeasures || index < 0 || index > GetLabInxLast(m)) return;
    const SceneLabel& c = scene_.labInx[m][index];
    g_.MouseX = static_cast<float>(c.Left + x);
    g_.MouseY = static_cast<float>(c.Top + y);
    lastButton_ = static_cast<int16_t>(button);
}

void RowEditor::CellClick(int m, int index) {
    if (lastButton_ == kLeftButton) ClickLabInx(m, index);
}

void RowEditor::CellMouseMove(int m, int index) {
    port_.SetMousePointer(3);
    if (m < 0 || m >= kMaxMeasures || index < 0 || index > GetLabInxLast(m)) return;
    if (!port_.IsUpdateEnabled()) ShowAsisto(scene_.labInx[m][index].Left, true);
}

void RowEditor::CellMouseUp(int, int, int button) { MarkerMouseUp(button); }

void RowEditor::MarkerMouseMove(double x, double y) {
    // The marker and the column highlight stay while the pointer is on them;
    // only the cross-hair follows it.
    PlaceCrossHair(x, y);
}

void RowEditor::ShowKeyCursor(int m, int p, int string) {
    if (m < 0 || m >= kMaxMeasures) return;
    const auto& ms = Dan().Syosetsu[m];
    double x;
    if (p >= 1 && p <= ms.OnpuCnt && p <= GetLabInxLast(m) && scene_.labInx[m][p].Visible) {
        x = scene_.labInx[m][p].Left;
    } else {
        s_.CurDanIx = static_cast<int16_t>(slot_);
        x = GetNoteX(s_, m, std::clamp(p, 1, kMaxPositions + 1));
    }
    ShowAsisto(x, true);
    const auto& lay = Lay();
    auto& mk = scene_.labFletEdit;
    const double y = lay.TabTop + (string - 1) * static_cast<double>(lay.StringInterval);
    mk.Top = y - mk.Height / 2;
    mk.Left = x + cellWidth_ / 2 - mk.Width / 2;
    mk.Visible = string >= 1 && string <= s_.MaxStringIx + 1;
    mk.Z = scene_.BringToFront();
    // The pop-up menu's string commands work where the cursor is.
    g_.MouseX = static_cast<float>(x + cellWidth_ / 2);
    g_.MouseY = static_cast<float>(y);
    g_.CurSyosetsuIx = static_cast<int16_t>(m);
}

void RowEditor::MarkerMouseUp(int button) {
    if (button != kRightButton) return;
    port_.ShowNotePopup();
    popupOpen_ = -1;
}

void RowEditor::HosokuMouseDown(int button, double x, double y) {
    if (button == kRightButton) return;
    const auto& g = scene_.pic5Sen_Hosoku;
    g_.MouseX = static_cast<float>(g.Left + x);
    g_.MouseY = static_cast<float>(g.Top + y);
    if (g_.EditMode == kModeNormal) {
        int string = 0, fret = 0;
        if (port_.StaffPointToStringFret(g_.MouseX, g_.MouseY, string, fret)) port_.SelectStringFret(string, fret);
    }
}

void RowEditor::HosokuClick() {
    if (g_.EditMode != kModeStaffNote) return;
    // As a frame click in staff-note mode: only a point in the staff area
    // enters a note (the guide below the staff can reach down to the TAB).
    if (!Area5ScopeCheck(g_.MouseX, g_.MouseY)) return;
    StaffNoteAt(g_.MouseX, g_.MouseY);
    const int m = g_.CurSyosetsuIx;
    const int last = GetLabInxLast(m);
    if (last >= 1) {
        const SceneLabel& c = scene_.labInx[m][last];
        port_.MoveKoSetForm(m, last, c.Left, c.Top, 0);
    }
}

void RowEditor::HosokuMouseMove(double, double) {
    port_.SetMousePointer(g_.EditMode == kModeStaffNote ? 99 : 0);
}

void RowEditor::HosokuMouseUp(int button) {
    if (button == kRightButton) port_.ShowFramePopup();
}

void RowEditor::KyufuClick(int r) {
    if (r < 1 || r >= static_cast<int>(scene_.picKyufu.size())) return;
    const double x = scene_.picKyufu[r].Left;
    int m = 0;
    if (!GetSyosetsuNo(s_, x, m)) return;
    const auto& arr = scene_.labInx[m];
    for (int i = 1; i < static_cast<int>(arr.size()); ++i) {
        if (arr[i].Visible && arr[i].Left <= x && x < arr[i].Left + arr[i].Width) {
            ClickLabInx(m, i);
            return;
        }
    }
}

void RowEditor::KyufuMouseMove(int r) {
    if (r < 1 || r >= static_cast<int>(scene_.picKyufu.size())) return;
    ShowAsisto(scene_.picKyufu[r].Left, true);
}

void RowEditor::KugiriMouseDown(int m, double x, double y, int button) {
    if (g_.EditMode != kModeKugiri || button != kLeftButton) return;
    drag_ = DragSource{DragKind::Kugiri, m};
    g_.MouseX = static_cast<float>(x);
    g_.MouseY = static_cast<float>(y);
}

void RowEditor::ChordMouseDown(int index, double x, double y, int button) {
    if (g_.EditMode == kModeRepMark && button == kLeftButton) {
        drag_ = DragSource{DragKind::Chord, index};
        g_.MouseX = static_cast<float>(x);
        g_.MouseY = static_cast<float>(y);
    }
    // Back to normal mode the usual way, so bar-line handles hide too.
    SetEditMode(kModeNormal);
}

void RowEditor::TextMouseDown(int index, double x, double y, int button) {
    if (g_.EditMode != kModeMove || button != kLeftButton) return;
    drag_ = DragSource{DragKind::Text, index};
    g_.MouseX = static_cast<float>(x);
    g_.MouseY = static_cast<float>(y);
}

void RowEditor::TextClick(int index) {
    if (index > 0 && index < static_cast<int>(items_.Texts.size())) port_.ShowTextDialog(index);
}

void RowEditor::RepMarkMouseDown(int index, double x, double y, int button) {
    if (g_.EditMode != kModeMove || button != kLeftButton) return;
    drag_ = DragSource{DragKind::RepMark, index};
    g_.MouseX = static_cast<float>(x);
    g_.MouseY = static_cast<float>(y);
}

void RowEditor::RepMarkMouseUp(int index, int button) {
    if (button == kRightButton) port_.ShowRepMarkPopup(index);
}

void RowEditor::LoadTextBox(bool withDialog) {
    if (!FitsI16(g_.MouseX) || !FitsI16(g_.MouseY)) {
        RefuseCoordinate();
        return;
    }
    TextItem t = items_.Texts[0];
    t.Top = g_.MouseY;
    t.Left = g_.MouseX;
    t.Caption.clear();
    t.Visible = true;
    items_.Texts.push_back(t);
    if (withDialog) port_.ShowTextDialog(static_cast<int>(items_.Texts.size()) - 1);
    port_.RowModified();
}

void RowEditor::LoadRepMark() {
    std::string tag;
    double w = 0, h = 0;
    if (!port_.ChosenRepMark(tag, w, h)) return;
    if (!FitsI16(g_.MouseX) || !FitsI16(g_.MouseY)) {
        RefuseCoordinate();
        return;
    }
    RepMarkItem r;
    r.Top = g_.MouseY;
    r.Left = g_.MouseX;
    r.Width = w;
    r.Height = h;
    r.Tag = tag;
    r.Visible = true;
    items_.RepMarks.push_back(r);
    port_.RowModified();
}

// --------------------------------------------------------- measure editing

bool RowEditor::PutNoteAt(double x, double y) {
    if (Lay().StringInterval <= 0) {
        ShowMsg(ui_, "@0018", "16");
        return false;
    }
    if (!FitsI16(x) || !FitsI16(y)) return RefuseCoordinate();
    g_.Entry.BeforeX = IntText(x);
    g_.Entry.BeforeY = IntText(y);
    port_.SetBefore(g_.Entry.BeforeX, g_.Entry.BeforeY);
    int m = 0, noteX = 0;
    if (!AddNotePos(x, m, noteX)) {
        // Nothing was entered, so there is no changed measure to recover.
        g_.Entry.MeasureChanged = false;
        return false;
    }
    g_.CurSyosetsuIx = static_cast<int16_t>(m);
    LayoutPositions();
    g_.Entry.MeasureChanged = false;
    // Every note placed is a change of the row (a measure copy reports once
    // when it is done).
    if (!batching_) port_.WriteRecovery();
    return true;
}

bool RowEditor::AddNotePos(double x, int& m, int& noteX) {
    if (!GetSyosetsuNo(s_, x, m)) return false;
    if (!CheckSyosetsuFull(m)) return false;
    SyosetsuData& ms = Dan().Syosetsu[m];
    if (ms.OnpuCnt >= kMaxPositions) {
        ShowMsg(ui_, kMsgMeasurePositionsFull, "16");
        return false;
    }
    const double nx = GetNoteXExact(s_, m, ms.OnpuCnt + 1);
    if (!FitsI16(nx)) return RefuseCoordinate();
    port_.SetUnDoArea();
    ms.OnpuCnt = static_cast<int16_t>(std::max<int>(ms.OnpuCnt, 0) + 1);
    ms.Onpu[ms.OnpuCnt] = g_.Entry.CurOnpu;
    ms.Onpu[ms.OnpuCnt].PosNo = ms.OnpuCnt;
    noteX = static_cast<int>(RoundHalfEven(nx));
    return true;
}

bool RowEditor::CheckSyosetsuFull(int& m) {
    if (m < 0 || m >= kMaxMeasures) return false;
    const int total = MeasureTicks(s_, m);
    if (GetSyosetsuLength(Dan().MeterID) <= total) {
        if (s_.CurSyosetsuCnt == m + 1) {
            ShowMsg(ui_, "@0003", "16");
            return false;
        }
        if (ShowMsg(ui_, std::string("@0003") + kMsgBreak + "@0004", "36") != kIdYes) return false;
        m += 1;
        g_.Entry.BeforeX = "0";
        g_.Entry.BeforeY = "0";
        port_.SetBefore("0", "0");
        if (m != g_.CurSyosetsuIx) g_.Entry.MeasureChanged = true;
        return true;
    }
    if (m != g_.CurSyosetsuIx) g_.Entry.MeasureChanged = true;
    return true;
}

bool RowEditor::InsertNote(int m0, int q) {
    const int cnt = std::min<int>(s_.CurSyosetsuCnt, kMaxMeasures);
    if (m0 < 0 || m0 >= cnt) return false;
    DanData& dan = Dan();
    // Only the row's measures are re-packed. Notes pushed past the last one
    // would be hidden and not saved, so that is refused below; measures after
    // the row keep whatever they hold and are never re-packed themselves.
    const int lastSlot = cnt - 1;
    q = std::clamp<int>(q, 0, dan.Syosetsu[m0].OnpuCnt);

    struct Entry { OnpuData note; int src; int dst; };
    std::vector<Entry> list;
    list.reserve(128);
    for (int m = m0; m <= lastSlot; ++m) {
        const auto& ms = dan.Syosetsu[m];
        const int n = std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions);
        if (m == m0 && q == 0) list.push_back({g_.Entry.CurOnpu, m0, m0});
        for (int p = 1; p <= n; ++p) {
            list.push_back({ms.Onpu[p], m, m});
            if (m == m0 && p == q) list.push_back({g_.Entry.CurOnpu, m0, m0});
        }
    }
    if (list.size() > 101) {
        ShowMsg(ui_, kMsgInsertTooMany, "16");
        return false;
    }
    // Re-pack by the meter: a measure takes notes until the next would pass
    // its capacity or its 24 positions.
    int capacity = GetSyosetsuLength(Dan().MeterID);
    if (capacity <= 0) capacity = 96;
    int t = m0, sum = 0, inT = 0, prevSrc = m0;
    for (Entry& e : list) {
        if (e.src != prevSrc) {
            // A new source measure starts empty unless notes of the previous
            // one already overflowed into it (then it goes on filling it).
            if (t == prevSrc || t < e.src) {
                t = e.src;
                sum = 0;
                inT = 0;
            }
            prevSrc = e.src;
        }
        const int dur = PositionTicks(e.note);
        sum += dur;
        ++inT;
        if ((sum > capacity && inT > 1) || inT > kMaxPositions) {
            ++t;
            sum = dur;
            inT = 1;
        }
        e.dst = t;
    }
    for (const Entry& e : list) {
        if (e.dst >= cnt) {
            ShowMsg(ui_, kMsgInsertOverflow, "16");
            return false;
        }
    }
    for (int m = m0; m <= lastSlot; ++m) dan.Syosetsu[m].OnpuCnt = 0;
    for (const Entry& e : list) {
        SyosetsuData& ms = dan.Syosetsu[e.dst];
        ms.OnpuCnt = static_cast<int16_t>(ms.OnpuCnt + 1);
        ms.Onpu[ms.OnpuCnt] = e.note;
        ms.Onpu[ms.OnpuCnt].PosNo = ms.OnpuCnt;
    }
    return true;
}

void RowEditor::DeleteSyosetsu(int m) {
    if (m < 0 || m >= std::min<int>(s_.CurSyosetsuCnt, kMaxMeasures)) return;
    g_.CurSyosetsuIx = static_cast<int16_t>(m);
    UnloadLabInx(m, true);
    SyosetsuData& ms = Dan().Syosetsu[m];
    for (int p = 1; p <= std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions); ++p)
        for (int st = 1; st <= s_.MaxStringIx + 1 && st < kStringSlots; ++st) ms.Onpu[p].FletUse[st] = 0;
    ms.OnpuCnt = 0;
    ReLayoutTAB("0");
    port_.RowModified();
}

void RowEditor::CopySyosetsu(int sr, int sm, int dm) {
    if (sr < 0 || sr >= kSlotCount || sm < 0 || sm >= kMaxMeasures) return;
    if (dm < 0 || dm >= std::min<int>(s_.CurSyosetsuCnt, kMaxMeasures)) return;
    // Copying a measure onto itself would empty it before reading it.
    if (sr == slot_ && sm == dm) return;
    const SyosetsuData src = s_.DanBuf[sr].Syosetsu[sm];
    port_.NoteEntryHide();
    s_.CurDanIx = static_cast<int16_t>(slot_);
    g_.CurSyosetsuIx = static_cast<int16_t>(dm);
    port_.BringRowToFront(slot_);
    Dan().Syosetsu[dm].OnpuCnt = 0;
    UnloadLabInx(dm, true);
    const double x = Lay().SyosetsuLeft[dm] + 100.0, y = Lay().SyosetsuTop[dm];
    bool completed = true;
    batching_ = true;
    for (int j = 1; j <= std::clamp<int>(src.OnpuCnt, 0, kMaxPositions); ++j) {
        g_.Entry.CurOnpu = src.Onpu[j];
        // A refused note (measure full, question answered no) ends the copy
        // instead of asking again for every remaining note.
        if (!PutNoteAt(x, y)) break;
        if (!port_.RedrawRow()) {
            completed = false;
            break;
        }
    }
    batching_ = false;
    if (completed) {
        if (!g_.KeepNoteEntryHidden) port_.NoteEntryShow();
        ReLayoutTAB("0");
    }
    port_.RowModified();
}

}  // namespace lw
