#include "startup.h"

#include <dlfcn.h>

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <filesystem>

#include "first_start.h"
#include "ko_comm.h"
#include "main_window.h"
#include "messages.h"
#include "paths.h"
#include "qt_ui_port.h"
#include "row_picture.h"

namespace fs = std::filesystem;

namespace lw {

std::string QtUserStore::Get(const std::string& key, const std::string& def) {
    QSettings st(QStringLiteral("Lutewise"), QStringLiteral("Lutewise"));
    return st.value(QStringLiteral("Settings/") + QString::fromStdString(key), QString::fromStdString(def))
        .toString()
        .toStdString();
}

void QtUserStore::Set(const std::string& key, const std::string& value) {
    QSettings st(QStringLiteral("Lutewise"), QStringLiteral("Lutewise"));
    st.setValue(QStringLiteral("Settings/") + QString::fromStdString(key), QString::fromStdString(value));
    st.sync();
}

bool CheckIniFile(UiPort& ui, const std::string& folder) {
    std::error_code ec;
    if (fs::is_regular_file(JoinPath(folder, "Lutewise.ini"), ec)) return true;
    ShowMsg(ui,
            std::string("ＩＮＩファイルが存在しません。") + kMsgBreak +
                "ショートカットの作業ホルダーを確認してください。",
            "16");
    return false;
}

KoCommCreateFn LoadKoCommFactory(const std::string& libraryPath, std::string* reason) {
    void* h = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        if (reason) {
            const char* e = dlerror();
            *reason = e ? e : "dlopen failed";
        }
        return nullptr;
    }
    auto create = reinterpret_cast<KoCommCreateFn>(dlsym(h, LW_KOCOMM_FACTORY));
    if (!create) {
        if (reason) *reason = std::string(LW_KOCOMM_FACTORY) + " が見つかりません。";
        dlclose(h);
    }
    // Otherwise the library stays loaded: playback and the row-area dialog use it later.
    return create;
}

bool CheckKoComm(const std::string& libraryPath, std::string* reason) {
    KoCommCreateFn create = LoadKoCommFactory(libraryPath, reason);
    if (!create) return false;
    clsKoComm* obj = create();
    if (!obj) {
        if (reason) *reason = "clsKoComm を作成できません。";
        return false;
    }
    delete obj;
    return true;
}

void ShowKoCommMissing(UiPort& ui, const std::string& libraryPath, const std::string& reason) {
    ShowMsg(ui,
            std::string("KoComm ライブラリを読み込めません。") + kMsgBreak + libraryPath + kMsgBreak + reason +
                kMsgBreak + "MIDI再生とTAB譜エリアの設定は使用できません。",
            "16");
}

bool EnsureRecoveryFolder(const std::string& folder, std::string* error) {
    std::error_code ec;
    const std::string dir = JoinPath(folder, "Recovery");
    if (fs::is_directory(dir, ec)) return true;
    fs::create_directories(dir, ec);
    if (ec && error) *error = ec.message();
    return !ec;
}

bool FontAdvice(UiPort& ui, int twipsPerPixel) {
    if (twipsPerPixel == 15) return false;
    const std::string b = kMsgBreak;
    ShowMsg(ui, "@0013" + b + b + "@0014" + b + "@0015" + b + "@0016" + b + "@0017" + b, "0");
    return true;
}

int RunEditor(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lutewise"));
    QApplication::setOrganizationName(QStringLiteral("Lutewise"));
    InstallFontSubstitutions();
    // Qt's own texts (file dialogs, standard buttons) in Japanese, like ours.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    QtUiPort ui;
    QtUserStore store;
    // 1. The main window object, not yet shown.
    MainWindow mw(ui, store);
    ui.SetParent(&mw);
    const std::string folder = CurrentFolder();

    // 2. Installation checks.
    if (!CheckIniFile(ui, folder)) return 1;
    const std::string lib =
        (QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libKoComm.so"))).toStdString();
    std::string reason;
    if (CheckKoComm(lib, &reason))
        mw.SetKoCommFactory(LoadKoCommFactory(lib, nullptr));
    else
        ShowKoCommMissing(ui, lib, reason);
    std::string err;
    if (!EnsureRecoveryFolder(folder, &err))
        ShowMsg(ui, "Recovery フォルダーを作成できません。" + std::string(kMsgBreak) + err, "16");

    // 3. Show the main window; its load handler restores geometry and reads settings.
    mw.LoadMainForm();
    mw.show();
    QCoreApplication::processEvents();

    // 4, 5. Version text and the start values.
    mw.shell().InitStartValues();
    // Read before the recovery check stores its marker: was there a run before?
    const bool earlierRun = !store.Get("Recovery", "").empty();
    // 6. Recovery.
    mw.shell().RestoreRecovery();
    // 7. Font advice.
    FontAdvice(ui, mw.shell().s.TwipsPerPixelX);

    // Rows and projects named on the command line.
    const QStringList args = app.arguments().mid(1);
    StartFacts facts;
    facts.earlierRun = earlierRun;
    facts.recentProject = HasRecentProject(mw.shell().s.MruFiles);
    facts.exampleExists = QFileInfo(QString::fromStdString(ExampleProjectPath(folder))).isFile();
    for (const QString& a : args) {
        if (a.startsWith(QStringLiteral("-"))) continue;
        facts.filesNamed = true;
        const std::string p = QFileInfo(a).absoluteFilePath().toStdString();
        if (a.endsWith(QStringLiteral(".tbp"), Qt::CaseInsensitive))
            mw.shell().DoFileProjectOpen(p);
        else
            mw.shell().DoFileOpen(p);
    }
    // The very first start shows what a piece looks like.
    if (OpensExample(facts)) mw.shell().DoFileProjectOpen(ExampleProjectPath(folder));
    // For measuring the start: end as soon as the loaded rows are shown and
    // the program would wait for the user.
    if (qEnvironmentVariableIsSet("LUTEWISE_QUIT_WHEN_IDLE")) QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}

}  // namespace lw
