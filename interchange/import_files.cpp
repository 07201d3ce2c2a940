#include "import_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "safe_file.h"
#include "settings.h"
#include "tab_file.h"
#include "text_codec.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

std::string TwoDigits(size_t n) {
    char b[8];
    std::snprintf(b, sizeof b, "%02zu", n);
    return b;
}

// The first bytes of an existing file, to tell what it is.
std::string Head(const std::string& path, size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string s(n, '\0');
    in.read(s.data(), static_cast<std::streamsize>(n));
    s.resize(static_cast<size_t>(in.gcount()));
    return s;
}

bool LooksLikeRow(const std::string& head) { return head.empty() || head.rfind("\"TAB\"", 0) == 0; }

// Lines of "NN:path" (a project may also be empty).
bool LooksLikeProject(const std::string& head) {
    size_t i = 0;
    while (i < head.size()) {
        const size_t end = head.find('\n', i);
        std::string line = head.substr(i, end == std::string::npos ? std::string::npos : end - i);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (end == std::string::npos && head.size() >= 4096) break;   // a cut line
        if (!line.empty() && !(line.size() > 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                               std::isdigit(static_cast<unsigned char>(line[1])) && line[2] == ':'))
            return false;
        if (end == std::string::npos) break;
        i = end + 1;
    }
    return true;
}

}  // namespace

bool ImportFiles(const ImportedPiece& piece, const Session& settings, const std::string& outTbp,
                 std::vector<ImportFile>& files, std::string* error) {
    files.clear();
    const fs::path out = fs::absolute(outTbp);
    std::string ext = out.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != ".tbp") {
        if (error) *error = "「" + outTbp + "」: プロジェクトファイルの名前は .tbp で終わります。";
        return false;
    }
    if (piece.rows.empty()) {
        if (error) *error = "読み込む小節がありません。";
        return false;
    }
    const fs::path folder = out.parent_path();
    const std::string stem = out.stem().string();
    const size_t projects = (piece.rows.size() + kMaxRowsPerProject - 1) / kMaxRowsPerProject;
    auto work = std::make_unique<Session>(settings);
    work->CurDanIx = 0;
    work->DocCount = 1;
    work->GakkiCode = piece.gakkiCode;
    work->MaxStringIx = piece.maxStringIx;
    for (size_t pj = 0; pj < projects; ++pj) {
        const std::string base = projects == 1 ? stem : stem + "-" + std::to_string(pj + 1);
        std::string list;
        for (size_t k = 0; k < kMaxRowsPerProject; ++k) {
            const size_t r = pj * kMaxRowsPerProject + k;
            if (r >= piece.rows.size()) break;
            const ImportedRow& row = piece.rows[r];
            work->DanBuf[0] = row.dan;
            work->CurSyosetsuCnt = row.dan.SyosetsuCnt;
            work->MeterID = row.meter;
            work->KeyName[0] = row.key;
            if (!DeriveLayout(*work)) {
                if (error) *error = "段の配置を計算できません（Lutewise.ini の POSITION を確かめてください）。";
                return false;
            }
            const std::string path = (folder / (base + "-" + TwoDigits(k + 1) + ".tab")).string();
            files.push_back({path, SerializeTab(*work, row.items), false});
            list += EncodeFileText(TwoDigits(k) + ":" + path) + "\r\n";
        }
        files.push_back({(folder / (base + ".tbp")).string(), list, true});
    }
    return true;
}

bool WriteImportFiles(const std::vector<ImportFile>& files, const std::vector<std::string>& inputs,
                      std::string* error) {
    auto refuse = [&](const std::string& path, const std::string& why) {
        if (error) *error = "「" + path + "」に書き込みません: " + why;
        return false;
    };
    for (const ImportFile& f : files) {
        struct stat st {};
        if (stat(f.path.c_str(), &st) != 0) continue;
        if (!S_ISREG(st.st_mode)) return refuse(f.path, "通常のファイルではありません。");
        for (const std::string& in : inputs) {
            struct stat is {};
            if (stat(in.c_str(), &is) == 0 && is.st_dev == st.st_dev && is.st_ino == st.st_ino)
                return refuse(f.path, "読み込むファイルそのものです。");
        }
        const std::string head = Head(f.path, 4096);
        if (f.project ? !LooksLikeProject(head) : !LooksLikeRow(head))
            return refuse(f.path, f.project ? "プロジェクトファイルではありません。" : "TAB譜ファイルではありません。");
    }
    StagedFiles staged;
    for (const ImportFile& f : files)
        if (!staged.Stage(f.path, f.bytes, error)) return false;
    return staged.Commit(error);
}

}  // namespace lw
