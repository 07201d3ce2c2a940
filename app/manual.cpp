#include "manual.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <filesystem>

#include "main_window.h"
#include "messages.h"
#include "paths.h"

namespace fs = std::filesystem;

namespace lw {

std::vector<std::string> ManualCandidates(const std::string& workFolder, const std::string& programFolder) {
    const fs::path program(programFolder);
    return {JoinPath(JoinPath(workFolder, "ﾏﾆｭｱﾙ"), "Index.html"),
            (program / ".." / ".." / "share" / "lutewise" / "manual" / "index.html").lexically_normal().string(),
            (program / ".." / "share" / "lutewise" / "manual" / "index.html").lexically_normal().string()};
}

std::string FindManual(const std::string& workFolder, const std::string& programFolder) {
    std::error_code ec;
    for (const std::string& p : ManualCandidates(workFolder, programFolder))
        if (fs::is_regular_file(p, ec)) return p;
    return {};
}

void MainWindow::OpenManual(const std::string& anchor) {
    const std::string program = QCoreApplication::applicationDirPath().toStdString();
    const std::string page = FindManual(CurrentFolder(), program);
    if (page.empty()) {
        std::string tried;
        for (const std::string& p : ManualCandidates(CurrentFolder(), program)) tried += kMsgBreak + p;
        ShowMsg(ui_, "ﾏﾆｭｱﾙが見つかりません。" + tried, "64");
        return;
    }
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(page));
    if (!anchor.empty()) url.setFragment(QString::fromStdString(anchor));
    if (OpenUrlHook) {
        OpenUrlHook(url);
        return;
    }
    if (!QDesktopServices::openUrl(url))
        ShowMsg(ui_, "ブラウザを起動できません。" + std::string(kMsgBreak) + page, "64");
}

}  // namespace lw
