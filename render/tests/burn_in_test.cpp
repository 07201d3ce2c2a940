#include <gtest/gtest.h>

#include <QPainter>

#include "burn_in.h"
#include "element_paint.h"
#include "render_test_support.h"
#include "row_drawing.h"
#include "stamps.h"

using namespace lw;
using lwtest::InkBox;
using lwtest::InkIn;
using lwtest::Paint;
using RecordingUi = lwtest::QuietUi;

namespace {

class BurnIn : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lwtest::EnsureApp(); }
};

QImage White(int w = 400, int h = 220) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// Six string lines 13 px apart from y = 100 (TabTop 1500, interval 195).
QImage TabGround() {
    QImage img = White();
    QPainter p(&img);
    for (int k = 0; k < 6; ++k) p.drawLine(10, 100 + 13 * k, 390, 100 + 13 * k);
    return img;
}

SceneLabel Fret(const std::string& caption, double leftPx, int string) {
    SceneLabel l;
    l.Left = leftPx * 15;
    l.Width = 240;
    l.Height = 210;
    l.Top = 1500 + (string - 1) * 195 - 105;
    l.Caption = caption;
    l.Visible = true;
    return l;
}

// A row with one of every element kind.
void FillRow(RowScene& scene, RowItems& items, std::vector<ScenePicture>& notes) {
    scene.labPos.push_back(Fret("7", 50, 1));
    scene.labPos.push_back(Fret("12", 80, 2));
    ScenePicture rest;
    rest.Image = Stamp::pic4Kyufu;
    rest.Left = 120 * 15;
    rest.Top = 60 * 15;
    rest.Width = 240;
    rest.Height = 270;
    rest.Visible = true;
    scene.picKyufu.push_back(rest);
    SceneLabel chord;
    chord.Left = 150 * 15;
    chord.Top = 20 * 15;
    chord.Caption = "Am7";
    chord.Visible = true;
    scene.labChord.push_back(chord);
    TextItem text;
    text.Left = 200 * 15;
    text.Top = 5 * 15;
    text.Caption = "歓喜の歌";
    text.FontSize = 12;
    items.Texts.push_back(text);
    RepMarkItem mark;
    mark.Tag = "0";
    mark.Left = 300 * 15;
    mark.Top = 10 * 15;
    mark.Width = 400;
    mark.Height = 500;
    mark.Visible = true;
    items.RepMarks.push_back(mark);
    ScenePicture dots;
    dots.Image = Stamp::picRepten;
    dots.Left = 30 * 15;
    dots.Width = 60;
    dots.Top = 1500 + 195 - 20;
    dots.Height = 2 * 195 + 40;
    dots.Tag = "1,3";
    dots.Visible = true;
    scene.picRepten.push_back(dots);
    ScenePicture note;
    note.Image = Stamp::pic8Up_2;
    note.Left = 250 * 15;
    note.Top = 40 * 15;
    note.Width = 300;
    note.Height = 600;
    note.Visible = true;
    notes.push_back(note);
    SceneLine bar;
    bar.X1 = bar.X2 = 240 * 15;
    bar.Y1 = 1500;
    bar.Y2 = 1500 + 5 * 195;
    bar.BorderWidth = 1;
    bar.Visible = true;
    scene.lineKugiri.push_back(bar);
}

}  // namespace

TEST_F(BurnIn, FontsAreBoldWithTheEmHeightOfTheirPointSize) {
    EXPECT_EQ(EmHeightPx(9), 12);
    EXPECT_EQ(EmHeightPx(10), 13);
    EXPECT_EQ(EmHeightPx(8), 11);
    EXPECT_EQ(EmHeightPx(10.5), 13);  // the size is rounded first, half to even
    EXPECT_EQ(EmHeightPx(11.5), 16);
    EXPECT_EQ(EmHeightPx(9, 120), 15);
    const QFont f = RowFont("Times New Roman", 9);
    EXPECT_TRUE(f.bold());
    EXPECT_EQ(f.pixelSize(), 12);
    EXPECT_EQ(QFontInfo(f).family(), "Liberation Serif");
    EXPECT_EQ(QFontInfo(RowFont("ＭＳ Ｐ明朝", 10)).family(), "IPAPMincho");
}

TEST_F(BurnIn, RowDrawnTwiceIsUnchangedAndTheSceneStaysAsItWas) {
    RowScene scene;
    RowItems items;
    std::vector<ScenePicture> notes;  // the rhythm glyphs a paint keeps
    FillRow(scene, items, notes);
    QImage pic = TabGround();
    BurnContext c;
    const RowScene before = scene;
    PutTAB(Paint(pic), scene, items, c);
    BlitElements(Paint(pic), notes, 0, c);
    // Drawing hides nothing: what is shown is drawn again next time.
    for (size_t i = 1; i < scene.labPos.size(); ++i) EXPECT_EQ(scene.labPos[i].Visible, before.labPos[i].Visible);
    EXPECT_TRUE(scene.picKyufu[1].Visible);
    EXPECT_TRUE(notes[0].Visible);
    EXPECT_TRUE(scene.lineKugiri[1].Visible);
    // Every kind left ink where it stands.
    EXPECT_GT(InkIn(pic, QRect(150, 18, 40, 16)), 20);   // chord
    EXPECT_GT(InkIn(pic, QRect(200, 3, 70, 18)), 40);    // free text
    EXPECT_GT(InkIn(pic, QRect(300, 10, 27, 33)), 40);   // segno
    EXPECT_GT(InkIn(pic, QRect(120, 56, 16, 26)), 20);   // quarter rest
    EXPECT_GT(InkIn(pic, QRect(250, 40, 20, 40)), 30);   // rhythm glyph
    EXPECT_EQ(InkIn(pic, QRect(240, 100, 1, 66)), 66);   // bar line
    EXPECT_GT(InkIn(pic, QRect(30, 108, 6, 34)), 8);     // repeat dots

    const QImage once = pic.copy();
    PutTAB(Paint(pic), scene, items, c);
    BlitElements(Paint(pic), notes, 0, c);
    EXPECT_EQ(pic, once);
}

TEST_F(BurnIn, OneDigitFretNumbersStartAQuarterOfTheLabelFurtherIn) {
    RowScene scene;
    scene.labPos.push_back(Fret("7", 50, 1));
    scene.labPos.push_back(Fret("12", 50, 3));
    QImage pic = White();
    PutImgFletPos(Paint(pic), scene, BurnContext{});
    const QRect seven = InkBox(pic.copy(0, 90, 400, 14));
    const QRect twelve = InkBox(pic.copy(0, 116, 400, 14));
    ASSERT_FALSE(seven.isEmpty());
    ASSERT_FALSE(twelve.isEmpty());
    EXPECT_NEAR(seven.left() - twelve.left(), 240 / 4 / 15, 1);
    EXPECT_NEAR(twelve.left(), 50, 1);
    // The digits sit on their string: their middle within a pixel of the line.
    EXPECT_NEAR(seven.center().y() + 90, 100, 1.5);
    // The string line is interrupted behind the digits, not elsewhere.
    QImage lined = TabGround();
    scene.labPos[1].Visible = true;
    PutImgFletPos(Paint(lined), scene, BurnContext{});
    EXPECT_EQ(InkIn(lined, QRect(seven.left() - 2, 100, 1, 1)), 0);
    EXPECT_EQ(InkIn(lined, QRect(20, 100, 20, 1)), 20);
}

TEST_F(BurnIn, RowOfTemplatesDrawsOnlyGroundRowStartAndBarLines) {
    RowScene scene;
    RowItems items;
    SceneLine bar;
    bar.X1 = bar.X2 = 240 * 15;
    bar.Y1 = 1500;
    bar.Y2 = 1500 + 5 * 195;
    bar.Visible = true;
    scene.lineKugiri.push_back(bar);
    DanData dan;
    const QImage ground = TabGround();
    QImage pic = ground;
    PutTAB(Paint(pic), scene, items, BurnContext{});
    int changed = 0;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) changed += pic.pixel(x, y) != ground.pixel(x, y);
    EXPECT_EQ(changed, 5 * 13 + 1 - 6);  // the bar line between the string lines
}

TEST_F(BurnIn, StemsAndStretchedElementsTakeTheirRectangle) {
    ScenePicture stem;
    stem.Image = Stamp::picTate;
    stem.Left = 100 * 15;
    stem.Top = 20 * 15;
    stem.Width = 3 * 15;
    stem.Height = 60 * 15;
    stem.Visible = true;
    QImage pic = White();
    PutImgTateBar(Paint(pic), stem, BurnContext{});
    const QRect s = InkBox(pic);
    EXPECT_EQ(s.top(), 20);
    EXPECT_EQ(s.height(), 60);
    EXPECT_LE(s.width(), 2);

    // The fixed 375 x 270-twip source area fills the element's rectangle.
    ScenePicture block;
    block.Image = Stamp::pic2Kyufu;
    block.Left = 200 * 15;
    block.Top = 100 * 15;
    block.Width = 375;
    block.Height = 270;
    block.Visible = true;
    QImage small = White(), big = White();
    ScenePicture twice = block;
    twice.Width *= 2;
    twice.Height *= 2;
    PutImgStretchBlt(Paint(small), block, BurnContext{});
    PutImgStretchBlt(Paint(big), twice, BurnContext{});
    EXPECT_NEAR(InkBox(big).width(), 2 * InkBox(small).width(), 2);
    EXPECT_NEAR(InkBox(big).height(), 2 * InkBox(small).height(), 2);
}

TEST_F(BurnIn, TechniqueLettersAndLedgerLines) {
    QImage pic = White();
    PutImgCaption(Paint(pic), "H", "Times New Roman", 8, 50, 30);
    const QRect h = InkBox(pic);
    EXPECT_NEAR(h.left(), 50, 1.5);
    EXPECT_NEAR(h.height(), 7, 1.5);  // cap height of an 11-pixel font
    QImage line = White();
    PutImg5HosokuLine(Paint(line), 60 * 15, 92 * 15, 72 * 15, 92 * 15, 15);
    EXPECT_EQ(InkBox(line), QRect(60, 92, 12, 1));  // from its left end up to its right end
}

TEST_F(BurnIn, StaffNotesHeadsAccidentalsAndLedgerLines) {
    // One measure in C on a guitar: middle C, C♯, C♯, C (string 5, frets 3, 4, 4, 3).
    RowScene scene;
    DanData dan;
    DanLayoutData l;
    l.StaffTop = 780;
    l.StaffInterval = 120;
    SyosetsuData& m = dan.Syosetsu[0];
    m.OnpuCnt = 4;
    const int frets[] = {3, 4, 4, 3};
    for (int p = 1; p <= 4; ++p) {
        StoreNote(m.Onpu[p], 5, frets[p - 1], 2);
        m.Onpu[p].PosRect[5].Left = static_cast<int16_t>(1500 + 900 * p);
    }
    RowStyle style;
    style.drawNote = true;
    MeasurePass st;
    QImage pic = White(600, 200);
    const BurnContext c = BurnContextOf(style, l);
    DrawStaffMeasure(Paint(pic), st, scene, dan, l, 0, style, c);
    // Heads centred on the first ledger line below (line 5: y = 52 + 40 = 92),
    // the line as wide as the head's stamp.
    const int headW = c.Book().Get(Stamp::pic4note).width();
    auto headLeft = [&](int p) { return int((1500 + 900 * p + (240 - headW * 15) / 2.0 - 60) / 15); };
    for (int p = 1; p <= 4; ++p) {
        const QRect head = InkBox(pic.copy(headLeft(p), 80, headW, 24));
        ASSERT_FALSE(head.isEmpty()) << p;
        EXPECT_NEAR(head.center().y() + 80, 92, 1) << p;
        EXPECT_NEAR(InkIn(pic, QRect(headLeft(p) - 2, 92, headW + 4, 1)), headW, 1) << p;
    }
    // Signs before the heads: a sharp, nothing, a natural.
    auto signInk = [&](int p) { return InkIn(pic, QRect(headLeft(p) - 11, 78, 10, 28)); };
    EXPECT_GT(signInk(2), 20);
    EXPECT_EQ(signInk(3), 0);
    EXPECT_GT(signInk(4), 20);
    EXPECT_EQ(signInk(1), 0);
    lwtest::WriteDebugPng("staff_measure", pic);

    // Dotted quarters: D on a line gets its dot in the space above, E in a
    // space keeps it in its space (string 2 frets 3 and 5: D5 and E5 written).
    SyosetsuData& d = dan.Syosetsu[1];
    d.OnpuCnt = 2;
    for (int p = 1; p <= 2; ++p) {
        StoreNote(d.Onpu[p], 2, p == 1 ? 3 : 5, 2);
        SetBit(d.Onpu[p].NoteAttr, kAttrDot, true);
        d.Onpu[p].PosRect[2].Left = static_cast<int16_t>(1500 + 900 * p);
    }
    QImage dots = White(600, 200);
    DrawStaffMeasure(Paint(dots), st, scene, dan, l, 1, style, c);
    auto dotRows = [&](int p) { return InkBox(dots.copy(headLeft(p) + headW - 1, 40, 8, 30)).translated(0, 40); };
    EXPECT_NEAR(dotRows(1).center().y(), 56, 1);   // D5 on line 1 (y 60): dot at 56
    EXPECT_NEAR(dotRows(2).center().y(), 56, 1);   // E5 in the space 52..60

    // A chord with C♯ and D♯ a second apart (strings 3 and 2 in Am): the signs
    // stand in two columns instead of on top of each other, and the D♯ head
    // moves right of the C♯ head.
    StaffCache am;
    am.Ensure("Am", false, dan);
    st.staff = am;
    RowStyle minor = style;
    minor.keyName = "Am";
    SyosetsuData& chord = dan.Syosetsu[2];
    chord.OnpuCnt = 1;
    StoreNote(chord.Onpu[1], 2, 4, 2);   // D♯ (27)
    StoreNote(chord.Onpu[1], 3, 6, 2);   // C♯ (25)
    chord.Onpu[1].PosRect[2].Left = chord.Onpu[1].PosRect[3].Left = 2400;
    QImage two = White(600, 200);
    DrawStaffMeasure(Paint(two), st, scene, dan, l, 2, minor, c);
    const int sharpW = c.Book().Get(Stamp::picSharp).width();
    const int left = headLeft(1);
    EXPECT_GT(InkIn(two, QRect(left - sharpW - 2, 40, sharpW, 40)), 20);
    EXPECT_GT(InkIn(two, QRect(left - 2 * sharpW - 2, 40, sharpW, 40)), 20);
    const QRect upper = InkBox(two.copy(0, 54, 600, 4)), lower = InkBox(two.copy(0, 65, 600, 3));
    EXPECT_GE(upper.right() - lower.right(), headW / 2);
    lwtest::WriteDebugPng("sign_columns", two);
}

TEST_F(BurnIn, RowStartEndsAfterClefAndKeySignature) {
    DanLayoutData l;
    l.TabLeft = 540;
    l.StaffTop = 780;
    l.StaffInterval = 120;
    l.StringInterval = 195;
    const StampBook& book = StampBook::ForLayout(l, 15);
    const double plain = RowStartRight(l, book, "C", false, true, 15);
    const double clefRight = ClefLeft(l, book, false, 15) + book.Get(Stamp::picToon).width() * 15;
    EXPECT_GE(plain, clefRight);
    EXPECT_LT(RowStartRight(l, book, "C", false, false, 15), plain);  // TAB only: the word alone
    const double sharpW = book.Get(Stamp::picSharp).width() * 15;
    EXPECT_NEAR(RowStartRight(l, book, "A", false, true, 15), KeySignatureLeft(l, book, false, 15) + 3 * sharpW + 120, 1);
    EXPECT_GT(KeySignatureLeft(l, book, false, 15), clefRight);
}
