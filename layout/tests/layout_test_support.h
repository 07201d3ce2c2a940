// Shared helpers of the layout tests: a scripted message port, a port that
// records what the row window asks of the other windows, and a row set up
// with known geometry.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "row_editor.h"
#include "row_geometry.h"
#include "session.h"
#include "ui_port.h"

namespace lw::test {

struct ScriptedUi : UiPort {
    std::vector<std::string> texts;
    std::vector<int> buttons;
    std::vector<int> answers;   // consumed in order; kIdOk when exhausted
    int MessageBox(const std::string& text, int b, const std::string&) override {
        texts.push_back(text);
        buttons.push_back(b);
        if (answers.empty()) return kIdOk;
        const int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};

struct RecordingPort : RowPort {
    std::vector<std::string> calls;
    bool updateEnabled = false;
    bool staffHit = false;
    int staffString = 0, staffFret = 0;
    bool rhythmOk = true, redrawOk = true;
    bool markChosen = false;
    void Rec(const std::string& s) { calls.push_back(s); }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : calls) n += c.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }
    bool Has(const std::string& exact) const {
        for (const auto& c : calls) if (c == exact) return true;
        return false;
    }
    void NoteEntryShow() override { Rec("NoteEntryShow"); }
    void NoteEntryHide() override { Rec("NoteEntryHide"); }
    void SetNowData(int m, int p) override { Rec("SetNowData " + std::to_string(m) + " " + std::to_string(p)); }
    void SetNowData_kyf(int m, int p) override { Rec("SetNowData_kyf " + std::to_string(m) + " " + std::to_string(p)); }
    void MoveKoSetForm(int m, int i, double, double, int mode) override {
        Rec("MoveKoSetForm " + std::to_string(m) + " " + std::to_string(i));
    }
    void SetUpdateTag(const std::string& t) override { Rec("SetUpdateTag " + t); }
    void SetUpdateEnabled(bool e) override { updateEnabled = e; Rec(std::string("SetUpdateEnabled ") + (e ? "1" : "0")); }
    bool IsUpdateEnabled() const override { return updateEnabled; }
    void SetRestButtons(const std::string& t, bool e) override { Rec("SetRestButtons " + t + (e ? " 1" : " 0")); }
    void SetBefore(const std::string& x, const std::string& y) override { Rec("SetBefore " + x + " " + y); }
    void SelectTab(int t) override { Rec("SelectTab " + std::to_string(t)); }
    void ClearFlet() override { Rec("ClearFlet"); }
    void SetFletPosNo(int s, int i) override { Rec("SetFletPosNo " + std::to_string(s) + " " + std::to_string(i)); }
    void SelectStringFret(int s, int f) override { Rec("SelectStringFret " + std::to_string(s) + " " + std::to_string(f)); }
    void UpdateProc() override { Rec("UpdateProc"); }
    void SetUnDoArea() override { Rec("SetUnDoArea"); }
    void FinishDropEntry() override { Rec("FinishDropEntry"); }
    double staffY = 0;   // y of the last staff hit asked for
    bool StaffPointToStringFret(double, double y, int& s, int& f) override {
        Rec("StaffPoint");
        staffY = y;
        s = staffString;
        f = staffFret;
        return staffHit;
    }
    void ShowNotePopup() override { Rec("ShowNotePopup"); }
    void ShowFramePopup() override { Rec("ShowFramePopup"); }
    void ShowRepMarkPopup(int i) override { Rec("ShowRepMarkPopup " + std::to_string(i)); }
    void ShowTextDialog(int i) override { Rec("ShowTextDialog " + std::to_string(i)); }
    bool ChosenRepMark(std::string& tag, double& w, double& h) override {
        if (!markChosen) return false;
        tag = "2";
        w = 400;
        h = 300;
        return true;
    }
    void RowAreaPick(double x, double y) override { Rec("RowAreaPick " + std::to_string(int(x)) + " " + std::to_string(int(y))); }
    bool PutRhythm(const std::string& what) override { Rec("PutRhythm " + what); return rhythmOk; }
    bool RedrawRow() override { Rec("RedrawRow"); return redrawOk; }
    void PutKeySignature() override { Rec("PutKeySignature"); }
    void ClearAccidentalMemory() override { Rec("ClearAccidentalMemory"); }
    void BringRowToFront(int slot) override { Rec("BringRowToFront " + std::to_string(slot)); }
    void WriteRecovery() override { Rec("WriteRecovery"); }
    void RowModified() override { Rec("RowModified"); }
};

// Row of `count` measures, each 3000 twips wide from x = 300; TAB at 600
// with 120 between strings; staff at 100, 80 apart.
inline void SetUpRow(Session& s, int slot, int maxStringIx = 5, int count = 4, int meter = 22) {
    s.CurDanIx = static_cast<int16_t>(slot);
    s.MaxStringIx = static_cast<int16_t>(maxStringIx);
    s.CurSyosetsuCnt = static_cast<int16_t>(count);
    s.MeterID = s.DanBuf[slot].MeterID = static_cast<int16_t>(meter);
    s.PosRhythm = 1;
    s.RhythmRewrite = true;
    DanLayoutData& l = s.DanLayout[slot];
    l.TabTop = 600;
    l.TabLeft = 300;
    l.StringInterval = 120;
    l.TabHeight = static_cast<int16_t>(120 * maxStringIx);
    l.TabWidth = static_cast<int16_t>(3000 * count);
    l.StaffTop = 100;
    l.StaffInterval = 80;
    l.StaffHeight = 320;
    for (int m = 0; m <= count; ++m) {
        l.SyosetsuLeft[m] = static_cast<int16_t>(300 + 3000 * m);
        l.SyosetsuTop[m] = l.TabTop;
        l.SyosetsuHeight[m] = l.TabHeight;
        l.SyosetsuWidth[m] = m < count ? 3000 : 0;
    }
    DanData& d = s.DanBuf[slot];
    d.SyosetsuCnt = static_cast<int16_t>(count);
    for (int m = 0; m < kMaxMeasures; ++m) {
        d.Syosetsu[m].BarVisible = kTrue;
        d.Syosetsu[m].BarFlag = {0, 0, kTrue, kTrue, 0, 0, 0, 0};
    }
}

inline OnpuData Note(int string, int fret, int id, uint8_t attr = 0) {
    OnpuData p;
    p.NoteAttr = attr;
    StoreNote(p, string, fret, id);
    return p;
}

inline OnpuData Rest(int id, int maxStringIx = 5) {
    OnpuData p;
    StoreRest(p, id, maxStringIx);
    return p;
}

inline void Append(Session& s, int m, const OnpuData& p) {
    auto& ms = s.CurDan().Syosetsu[m];
    ms.OnpuCnt = static_cast<int16_t>(ms.OnpuCnt + 1);
    ms.Onpu[ms.OnpuCnt] = p;
    ms.Onpu[ms.OnpuCnt].PosNo = ms.OnpuCnt;
}

// One row window: the session, its scene and items, and the editor.
struct RowFixture {
    Session s;
    EditorGlobals g;
    RowScene scene;
    RowItems items;
    ScriptedUi ui;
    RecordingPort port;
    std::unique_ptr<RowEditor> ed;
    explicit RowFixture(int maxStringIx = 5, int count = 4, int meter = 22, int slot = 0) {
        SetUpRow(s, slot, maxStringIx, count, meter);
        ed = std::make_unique<RowEditor>(s, g, scene, items, ui, port, slot);
    }
};

}  // namespace lw::test
