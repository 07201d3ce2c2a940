#include "musicxml_archive.h"

#include <sys/stat.h>
#include <zip.h>

#include <QXmlStreamReader>
#include <fstream>
#include <memory>

namespace lw {
namespace {

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};

bool ReadMember(zip_t* z, const std::string& member, std::string& out, std::string* why) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(z, member.c_str(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        *why = "「" + member + "」がありません。";
        return false;
    }
    if (st.size > kMaxMusicXmlBytes) {
        *why = "「" + member + "」が大きすぎます。";
        return false;
    }
    zip_file_t* f = zip_fopen(z, member.c_str(), 0);
    if (!f) {
        *why = "「" + member + "」を開けません（" + std::string(zip_strerror(z)) + "）。";
        return false;
    }
    out.assign(static_cast<size_t>(st.size), '\0');
    const zip_int64_t n = out.empty() ? 0 : zip_fread(f, out.data(), out.size());
    const bool ok = n == static_cast<zip_int64_t>(out.size());
    if (!ok) *why = "「" + member + "」が壊れています（" + std::string(zip_file_strerror(f)) + "）。";
    zip_fclose(f);
    return ok;
}

// The first rootfile of container.xml.
std::string RootFileOf(const std::string& container) {
    QXmlStreamReader r(QByteArray::fromStdString(container));
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("rootfile"))
            return r.attributes().value(QLatin1String("full-path")).toString().toStdString();
    }
    return {};
}

}  // namespace

bool UnpackMxl(std::string_view archive, const std::string& name, std::string& xml, std::string* error) {
    std::string why;
    auto fail = [&](const std::string& reason) {
        if (error) *error = "「" + name + "」は MusicXML の圧縮ファイルとして読めません: " + reason;
        return false;
    };
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* src = zip_source_buffer_create(archive.data(), archive.size(), 0, &ze);
    if (!src) {
        const std::string reason = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        return fail(reason);
    }
    std::unique_ptr<zip_t, ZipCloser> z(zip_open_from_source(src, ZIP_RDONLY, &ze));
    if (!z) {
        zip_source_free(src);
        const std::string reason = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        return fail(reason);
    }
    zip_error_fini(&ze);
    std::string root;
    std::string container;
    if (ReadMember(z.get(), "META-INF/container.xml", container, &why)) {
        root = RootFileOf(container);
        if (root.empty()) return fail("META-INF/container.xml に楽譜の名前がありません。");
    } else {
        // Without a container: the one score file at the top of the archive.
        const zip_int64_t n = zip_get_num_entries(z.get(), 0);
        for (zip_int64_t i = 0; i < n && root.empty(); ++i) {
            const std::string m = zip_get_name(z.get(), static_cast<zip_uint64_t>(i), 0);
            if (m.find('/') == std::string::npos &&
                (m.size() > 4 && (m.ends_with(".xml") || m.ends_with(".musicxml"))))
                root = m;
        }
        if (root.empty()) return fail(why);
    }
    if (!ReadMember(z.get(), root, xml, &why)) return fail(why);
    return true;
}

bool ReadMusicXmlFile(const std::string& path, std::string& xml, std::string* error) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (error) *error = "「" + path + "」が見つかりません。";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        if (error) *error = "「" + path + "」はファイルではありません。";
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxMusicXmlBytes) {
        if (error) *error = "「" + path + "」は大きすぎます。";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        if (error) *error = "「" + path + "」を読み込めません。";
        return false;
    }
    if (bytes.size() >= 4 && bytes.compare(0, 4, "PK\x03\x04", 4) == 0) return UnpackMxl(bytes, path, xml, error);
    xml = std::move(bytes);
    return true;
}

}  // namespace lw
