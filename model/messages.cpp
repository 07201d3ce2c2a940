#include "messages.h"

#include <cstdlib>
#include <map>

namespace lw {
namespace {

const std::map<int, const char*>& Catalogue() {
    static const std::map<int, const char*> table = {
        {1, "６弦から４弦、６弦から５弦へのチューニングの変更はできません。"},
        {2, "４弦から６弦、４弦から５弦へのチューニングの変更はできません。"},
        {3, "この小節には音符の追加は出来ません。"},
        {4, "次の小節に追加しますか？"},
        {5, "１段目のTopを設定してください｡"},
        {6, "前回システムが異常終了したようです。"},
        {7, "前回作成途中のＴＡＢファイルを復元しますか？"},
        {8, "復元したリカバリー情報は、次回正常終了時に削除されます。"},
        {9, "ＴＡＢファイルを別名で保存するか、コピーして下さい。"},
        {10, "vb5jp.dllファイルが見つかりません。"},
        {11, "VB5ランタイムモジュールをインストールしてください。"},
        {12, "vb5jp.dllファイルをSystemフォルダーにコピーします。"},
        {13, "このシステムでは、小さいフォントを使用する事をお勧めします。"},
        {14, "フォントを変更するには、"},
        {15, "コントロールパネルより画面のアイコンをクリックします。"},
        {16, "設定タグ内の詳細ボタンをクリックして、フォントサイズを"},
        {17, "小さいフォントに変更します。"},
        {18, "ｲﾝﾀｰﾊﾞﾙが設定されていません。"},
        {19, "Iniファイルの設定が壊れています。"},
        {20, "正しい内容を問い合わせてください。"},
        {21, "イメージファイルが存在しません。"},
        {22, "ﾌﾟﾛｼﾞｪｸﾄに追加する前にTABファイルを保存してください。"},
        {23, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙに追加しますか？"},
        {26, "１ページ内に収まらなかった段があります。"},
        {27, "他のプロジェクトに追加して楽譜を再作成してください。"},
        {28, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙから削除しますか？"},
        {29, "これ以上段数を増やすことは出来ません。ﾌﾟﾛｼﾞｪｸﾄを分けて作成してください。"},
        {30, "楽譜に音符が含まれていません。"},
        {31, "すべての保存の確認をしますか？"},
        {32, "確認しない場合は、全ての修正内容を取り消しますが、宜しいですか？"},
        {34, "すべてのTAB譜を保存しますか？"},
        {35, "Ｋｅｙを設定してください。"},
        {36, "上行の移行しか行なえません。"},
        {37, "Comdlg32.ocxのバージョンが古い為、システムを起動できません。"},
        {38, "５弦から６弦、５弦から４弦へのチューニングの変更はできません。"},
    };
    return table;
}

bool ParseId(const std::string& digits, int& id) {
    if (digits.size() != 4) return false;
    id = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        id = id * 10 + (c - '0');
    }
    return true;
}

}  // namespace

std::string MessageText(int id) {
    auto it = Catalogue().find(id);
    return it == Catalogue().end() ? std::string() : std::string(it->second);
}

bool ExpandMessage(const std::string& message, std::string& out, std::string& badId) {
    out.clear();
    if (message.empty() || message[0] != '@') {
        out = message;
        return true;
    }
    size_t i = 0;
    while (i < message.size()) {
        if (message[i] == '@') {
            std::string digits = message.substr(i + 1, 4);
            int id = 0;
            std::string text;
            if (ParseId(digits, id)) text = MessageText(id);
            if (text.empty()) {
                badId = digits;
                return false;
            }
            out += text;
            i += 5;
        } else {
            out += message[i];
            ++i;
        }
    }
    return true;
}

int ShowMsg(UiPort& ui, const std::string& message, const std::string& buttons,
            const std::string& title) {
    const std::string t = title.empty() ? std::string(kAppTitle) : title;
    const int code = buttons.empty() ? 0 : std::atoi(buttons.c_str());
    std::string text, badId;
    if (!ExpandMessage(message, text, badId)) {
        text = "メッセージID='" + badId + "' がリソースファイルに存在しません｡\r\n" + message;
    }
    return ui.MessageBox(text, code, t);
}

std::string PlainLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\n' && i + 1 < text.size() && text[i + 1] == '\r') ++i;
    }
    return out;
}

}  // namespace lw
