#include "row_drawing.h"

#include <algorithm>
#include <cmath>

#include "element_paint.h"
#include "row_picture.h"
#include "stamps.h"

namespace lw {
namespace {

// Offset of fret numbers (and the notes above them) when notes are drawn.
constexpr double kDrawNoteShift = 60;

Stamp HeadStampOf(int rhythmId, bool dotted) {
    if (rhythmId == 0 || rhythmId == 1) return dotted ? Stamp::pic2note_futen : Stamp::pic2note;
    if (rhythmId >= 2 && rhythmId <= 8) return dotted ? Stamp::pic4note_futen : Stamp::pic4note;
    return Stamp::None;
}

// Pixels from an accidental stamp's top to the line of its note.
double AccidentalOriginPx(const StampBook& book, Stamp s) {
    const QImage& img = book.Get(s);
    if (s == Stamp::picFlat) return 4.0 * img.height() / 9.0 + book.SpacePx() / 2.0;
    return img.height() / 2.0;
}

std::vector<ScenePicture>& MarkArray(StaffMarks& m, Stamp s) {
    return s == Stamp::picSharp ? m.picSharp : s == Stamp::picFlat ? m.picFlat : m.picNatural;
}

}  // namespace

RowStyle RowStyleOf(const Session& s, int slot, bool drawNote) {
    RowStyle r;
    r.posRhythm = s.PosRhythm;
    r.drawNote = drawNote;
    r.maxStringIx = s.MaxStringIx;
    r.gakkiCode = s.GakkiCode;
    r.bassClef = IsBassClefInstrument(s.GakkiCode);
    r.tuning = s.TuningTbl;
    if (slot >= 0 && slot < kSlotCount && !s.KeyName[slot].empty()) r.keyName = s.KeyName[slot];
    if (s.FletFontSize > 0) r.fonts.fletPointSize = s.FletFontSize;
    if (s.ChordFontSize > 0) r.fonts.chordPointSize = s.ChordFontSize;
    r.tpp = s.TwipsPerPixelX > 0 ? s.TwipsPerPixelX : 15;
    return r;
}

void SetGround(RowRenderState& st, const QImage& ground, const RowStyle& style, const DanLayoutData& l) {
    st.ground = ground.convertToFormat(QImage::Format_RGB32);
    if (style.maxStringIx == 3 || style.maxStringIx == 4) BlankUnusedLines(st.ground, l, style.maxStringIx, style.tpp);
    st.picSave = MakePicSave(st.ground);
}

bool PrepareGround(RowRenderState& st, const std::string& folder, const RowStyle& style, const DanLayoutData& l,
                   std::string* error) {
    std::string err;
    const QImage img = LoadGround(folder, GroundFileName(style.posRhythm, style.drawNote), &err);
    SetGround(st, img, style, l);
    if (error) *error = err;
    return err.empty();
}

void PutKeySignature(RowScene& scene, const Session& s, int slot, bool drawNote) {
    const RowStyle style = RowStyleOf(s, slot, drawNote);
    const DanLayoutData& l = s.DanLayout[std::clamp(slot, 0, kSlotCount - 1)];
    PlaceKeySignature(scene, l, style.keyName, style.bassClef, StaffShown(style.posRhythm, drawNote), style.tpp);
}

bool StaffPointToStringFret(const Session& s, int slot, RowRenderState& st, double y, int& string, int& fret) {
    const RowStyle style = RowStyleOf(s, slot, false);
    OpenStringValues(style.gakkiCode, style.tuning, st.open);
    return StaffPointToStringFret(y, s.DanLayout[std::clamp(slot, 0, kSlotCount - 1)], style.bassClef, style.keyName,
                                  st.open, style.maxStringIx, string, fret);
}

BurnContext BurnContextOf(const RowStyle& style, const DanLayoutData& l, UiPort* ui) {
    BurnContext c;
    c.stamps = &StampBook::ForLayout(l, style.tpp);
    c.fonts = style.fonts;
    c.tpp = style.tpp;
    c.messages = ui;
    return c;
}

void DrawStaffMeasure(QImage& picTAB, RowRenderState& st, RowScene& scene, DanData& dan, const DanLayoutData& l,
                      int m, const RowStyle& style, const BurnContext& c) {
    if (m < 0 || m >= kMeasureSlots || l.StaffInterval <= 0) return;
    st.staff.Ensure(style.keyName, style.bassClef, dan);
    OpenStringValues(style.gakkiCode, style.tuning, st.open);
    st.memory.Clear();
    const StampBook& book = c.Book();
    const int tpp = c.tpp;
    const KeySig key = KeySignatureOf(style.keyName);
    const double cellW = scene.labPos.empty() ? 240 : scene.labPos[0].Width;
    const double shift = style.drawNote ? kDrawNoteShift : 0;
    const int strings = std::clamp(style.maxStringIx + 1, 1, 6);
    SyosetsuData& ms = dan.Syosetsu[m];
    const int n = std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions);
    if (picTAB.isNull() || n == 0) return;
    for (int p = 1; p <= n; ++p) {
        OnpuData& pos = ms.Onpu[p];
        if (pos.IsRest()) continue;
        scene.picNote.clear();
        st.marks.Clear();
        for (int k = 1; k <= strings; ++k) {
            if (pos.FletUse[k] != kSounding) continue;
            const bool dotted = GetBit(pos.NoteAttr, kAttrDot);
            if (HeadStampOf(pos.NoteLengthID[k], dotted) == Stamp::None) continue;
            const StaffNote note = StaffPosition(st.staff, st.memory, l, pos, k, pos.Flet[k], st.open);
            // A dotted note on a line carries its dot in the space above.
            const bool dotAbove = dotted && note.half;
            const Stamp head = HeadStampOf(pos.NoteLengthID[k], dotted && !dotAbove);
            const QImage& headImg = book.Get(head);
            const double headW = book.Get(Stamp::pic4note).width() * double(tpp);
            ScenePicture e;
            e.Image = head;
            e.Width = headImg.width() * double(tpp);
            e.Height = headImg.height() * double(tpp);
            e.Left = pos.PosRect[k].Left + (cellW - headW) / 2 - shift;
            // Our head stamps keep one pixel above the head.
            e.Top = note.top + kHeadPictureMargin - tpp;
            e.Visible = true;
            scene.picNote.push_back(e);
            if (dotAbove) {
                const double space = book.SpacePx(), side = std::max(1.0, space / 4.0);
                const QImage& dot = book.Dot();
                const double x = Px(e.Left, tpp) + headImg.width() - side + space * 0.4 - 1;
                const double y = Px(note.top + kHeadPictureMargin, tpp) - dot.height() / 2.0;
                InkInto(picTAB, dot, QPoint(int(std::round(x)), int(std::round(y))));
            }
            const double centreY = note.top + kHeadPictureMargin + l.StaffInterval / 2.0;
            for (int line : LedgerLines(note.line, note.half)) {
                const double y = StaffLineY(l, line);
                PutImg5HosokuLine(picTAB, e.Left, y, e.Left + headW, y, tpp);
            }
            const Stamp sign = AccidentalStamp(note, key, style.bassClef);
            if (sign != Stamp::None) {
                const QImage& img = book.Get(sign);
                ScenePicture a;
                a.Image = sign;
                a.Width = img.width() * double(tpp);
                a.Height = img.height() * double(tpp);
                a.Left = e.Left - a.Width - std::max(1.0, book.SpacePx() / 4.0) * tpp;
                a.Top = centreY - AccidentalOriginPx(book, sign) * tpp;
                a.Visible = true;
                MarkArray(st.marks, sign).push_back(a);
            }
        }
        PutImgRhythmNote(picTAB, scene, c);
        PutImgSharp(picTAB, st.marks, c);
        PutImgFlat(picTAB, st.marks, c);
        PutImgNatural(picTAB, st.marks, c);
    }
}

bool PutRhythm(QImage& picTAB, RowRenderState& st, RowScene& scene, const RowItems& items, DanData& dan,
               const DanLayoutData& l, const RowStyle& style, const std::string& what, int currentMeasure,
               UiPort* ui) {
    const BurnContext c = BurnContextOf(style, l, ui);
    scene.pic5Sen_Hosoku.Visible = false;
    const bool all = what == "all";
    const int count = std::clamp<int>(dan.SyosetsuCnt > 0 ? dan.SyosetsuCnt : kMaxMeasures, 1, kMaxMeasures);
    if (all || currentMeasure < 0 || currentMeasure >= count) {
        if (!st.ground.isNull()) picTAB = st.ground;
    } else {
        EraseMeasureStrip(picTAB, st.picSave, l.SyosetsuLeft[currentMeasure], l.SyosetsuLeft[currentMeasure + 1], c.tpp);
    }
    if (!PutImgInitForm(picTAB, scene, l, style.Start(), c)) return false;
    if (style.drawNote) {
        if (all) {
            for (int m = 0; m < count; ++m) DrawStaffMeasure(picTAB, st, scene, dan, l, m, style, c);
        } else {
            DrawStaffMeasure(picTAB, st, scene, dan, l, std::clamp(currentMeasure, 0, count - 1), style, c);
        }
    }
    return PutTAB(picTAB, scene, items, dan, c);
}

}  // namespace lw
