#include <gtest/gtest.h>

#include "dan_data.h"
#include "messages.h"
#include "text_codec.h"

using namespace lw;

TEST(TickOf, PlainDottedAndUnknownIds) {
    EXPECT_EQ(TickOf(0, 0), 96);
    EXPECT_EQ(TickOf(2, 0), 24);
    EXPECT_EQ(TickOf(5, 0x20), 4);   // 4.5 rounded half to even
    EXPECT_EQ(TickOf(7, 0x20), 16);  // dotted triplets double
    EXPECT_EQ(TickOf(8, 0x20), 32);
    EXPECT_EQ(TickOf(21, 0x20), 144);
    EXPECT_EQ(TickOf(25, 0x20), 9);
    for (int id : {9, 12, 20, 26, -1, 255}) {
        EXPECT_EQ(TickOf(id, 0), 0) << id;
        EXPECT_EQ(TickOf(id, 0x20), 0) << id;
    }
}

TEST(Bits, SetGetAndTextForms) {
    uint8_t b = 0;
    EXPECT_EQ(SetBit(b, 0, true), 0x80);
    EXPECT_EQ(SetBit(b, 0, true), 0x80);  // already set: unchanged
    EXPECT_EQ(SetBit(b, 5, false), 0x80); // already clear: unchanged
    EXPECT_EQ(SetBit(b, 5, true), 0x84);
    EXPECT_TRUE(GetBit(b, 5));
    EXPECT_FALSE(GetBit(b, 6));
    EXPECT_EQ(ByteToBits(0x84), "10000100");
    EXPECT_EQ(BitsToByte("1"), 128);
    EXPECT_EQ(BitsToByte("00000001"), 1);
    EXPECT_EQ(BitsToByte(""), 0);
    EXPECT_EQ(BitsToByte("1x1"), 160);  // other characters add nothing
    for (int v = 0; v < 256; ++v) EXPECT_EQ(BitsToByte(ByteToBits(uint8_t(v))), v);
}

TEST(Notes, StoreNoteUsesAttributesForTicksAndRestTemplate) {
    OnpuData p;
    p.NoteAttr = 0x20;  // dot
    StoreNote(p, 3, 7, 2);
    EXPECT_EQ(p.FletUse[3], 255);
    EXPECT_EQ(p.Flet[3], 7);
    EXPECT_EQ(p.NoteTick[3], 36);
    ClearString(p, 3);
    EXPECT_EQ(p.FletUse[3], 0);
    EXPECT_EQ(p.Flet[3], 7);  // only the use flag is cleared

    OnpuData r;
    r.FletUse[2] = 255;
    StoreRest(r, 23, 5);
    EXPECT_TRUE(r.IsRest());
    EXPECT_EQ(r.Flet[1], 1);
    EXPECT_EQ(r.FletUse[2], 0);
    EXPECT_EQ(PositionTicks(r), 24);
}

TEST(Messages, ExpandsTemplatesAndReportsMissingIds) {
    std::string out, bad;
    ASSERT_TRUE(ExpandMessage("@0019\r\n@0020", out, bad));
    EXPECT_EQ(out, MessageText(19) + "\r\n" + MessageText(20));
    EXPECT_FALSE(ExpandMessage("@9999", out, bad));
    EXPECT_EQ(bad, "9999");
    EXPECT_FALSE(ExpandMessage("@00x1", out, bad));
    EXPECT_EQ(bad, "00x1");
    ASSERT_TRUE(ExpandMessage("see @0019", out, bad));
    EXPECT_EQ(out, "see @0019");
    EXPECT_EQ(MessageText(33), "");
}

TEST(Messages, PlainLineBreaksTurnEachLfCrIntoLf) {
    const std::pair<const char*, const char*> cases[] = {
        {"a\n\rb", "a\nb"}, {"\n\r\n\r", "\n\n"}, {"a\r\nb", "a\r\nb"}, {"\n\r\r", "\n\r"}, {"", ""}, {"a\n", "a\n"}};
    for (const auto& [in, want] : cases) EXPECT_EQ(PlainLineBreaks(in), want) << in;
}

namespace {
struct RecordingUi : UiPort {
    std::string text, title;
    int buttons = -1;
    int answer = kIdOk;
    int MessageBox(const std::string& t, int b, const std::string& ti) override {
        text = t; buttons = b; title = ti; return answer;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};
}  // namespace

TEST(Messages, ShowMsgDefaultsAndMissingIdBox) {
    RecordingUi ui;
    ui.answer = kIdYes;
    EXPECT_EQ(ShowMsg(ui, "@0003\n\r@0004", "36"), kIdYes);
    EXPECT_EQ(ui.buttons, 36);
    EXPECT_EQ(ui.title, "Lutewise");
    EXPECT_EQ(ui.text, MessageText(3) + "\n\r" + MessageText(4));
    ShowMsg(ui, "@9999", "", "T");
    EXPECT_EQ(ui.buttons, 0);
    EXPECT_EQ(ui.title, "T");
    EXPECT_EQ(ui.text, "メッセージID='9999' がリソースファイルに存在しません｡\r\n@9999");
}

TEST(Messages, AMissingIdLaterInATemplateShowsTheTemplateAsPassed) {
    RecordingUi ui;
    ui.answer = kIdNo;
    // Ids 24, 25 and 33 have no entry; nothing of the template is expanded
    // in the box that reports it, which keeps the caller's buttons and title.
    EXPECT_EQ(ShowMsg(ui, "@0019\r\n@0024", "36", "T"), kIdNo);
    EXPECT_EQ(ui.buttons, 36);
    EXPECT_EQ(ui.title, "T");
    EXPECT_EQ(ui.text, "メッセージID='0024' がリソースファイルに存在しません｡\r\n@0019\r\n@0024");
    // Four characters that are no number, and a template cut short.
    ShowMsg(ui, "@0019@12x4");
    EXPECT_EQ(ui.text, "メッセージID='12x4' がリソースファイルに存在しません｡\r\n@0019@12x4");
    ShowMsg(ui, "@0019 @00");
    EXPECT_EQ(ui.text, "メッセージID='00' がリソースファイルに存在しません｡\r\n@0019 @00");
    // Consecutive ids, and the two catalogue entries no operation shows.
    ShowMsg(ui, "@0021@0037");
    EXPECT_EQ(ui.text, "イメージファイルが存在しません。Comdlg32.ocxのバージョンが古い為、システムを起動できません。");
    // Not starting with "@": shown as it is, ids and all.
    ShowMsg(ui, " @0019");
    EXPECT_EQ(ui.text, " @0019");
}

TEST(TextCodec, RoundTripsJapaneseAndMusicSigns) {
    const std::string u = "段目 ♭ △ ｽﾗ－ テスト";
    const std::string sj = Utf8ToCp932(u);
    EXPECT_NE(sj, u);
    EXPECT_EQ(Cp932ToUtf8(sj), u);
    EXPECT_EQ(Utf8ToCp932("♭"), "\x81\xF3");
    EXPECT_EQ(Utf8ToCp932("△"), "\x81\xA2");
    EXPECT_EQ(DecodeFileText(sj), u);      // not UTF-8: read as CP932
    EXPECT_EQ(DecodeFileText(u), u);       // valid UTF-8 stays
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));  // overlong
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));  // truncated
    EXPECT_EQ(Cp932ToUtf8("\x81"), "\xEF\xBF\xBD");  // lone lead byte
}
