#include "musicxml_reader.h"

#include <QXmlStreamReader>
#include <cmath>
#include <algorithm>
#include <numeric>

namespace lw {

Quarters Quarters::Of(__int128 n, __int128 d) {
    if (d == 0) return {0, 1};
    if (d < 0) n = -n, d = -d;
    __int128 a = n < 0 ? -n : n, b = d;
    while (b != 0) {
        const __int128 t = a % b;
        a = b;
        b = t;
    }
    if (a > 1) n /= a, d /= a;
    constexpr __int128 kMaxDen = __int128(1) << 30;
    if (d > kMaxDen) {
        n = n * kMaxDen / d;
        d = kMaxDen;
    }
    constexpr __int128 kMaxNum = __int128(1) << 60;
    n = std::clamp(n, -kMaxNum, kMaxNum);
    return {static_cast<int64_t>(n), static_cast<int64_t>(d)};
}

namespace {

int StepClass(const std::string& step) {
    static const std::map<std::string, int> pc = {{"C", 0}, {"D", 2}, {"E", 4}, {"F", 5}, {"G", 7}, {"A", 9}, {"B", 11}};
    const auto it = pc.find(step);
    return it == pc.end() ? -1 : it->second;
}

std::string AlterText(int alter) {
    switch (alter) {
        case 1: return "#";
        case 2: return "##";
        case -1: return "♭";
        case -2: return "♭♭";
        default: return "";
    }
}

struct PartState {
    int64_t divisions = 1;
    std::map<int, int> transpose;   // staff (0 = every staff) -> semitones
};

class Reader {
public:
    Reader(std::string_view xml, const std::string& name) : r_(QByteArray(xml.data(), qsizetype(xml.size()))), name_(name) {}

    bool Run(SrcScore& sc, std::string* error) {
        if (!r_.readNextStartElement()) return Fail(error, "XML として読めません");
        const QStringView root = r_.name();
        if (root == QLatin1String("score-timewise"))
            return Fail(error, "score-timewise 形式の MusicXML は読み込めません。MusicXML (score-partwise) で保存してください。");
        if (root != QLatin1String("score-partwise")) return Fail(error, "MusicXML の楽譜ではありません。");
        std::map<std::string, std::string> names;
        while (r_.readNextStartElement()) {
            const QStringView n = r_.name();
            if (n == QLatin1String("part-list")) {
                while (r_.readNextStartElement()) {
                    if (r_.name() == QLatin1String("score-part")) {
                        const std::string id = Attr("id");
                        while (r_.readNextStartElement()) {
                            if (r_.name() == QLatin1String("part-name")) names[id] = Text();
                            else r_.skipCurrentElement();
                        }
                    } else {
                        r_.skipCurrentElement();
                    }
                }
            } else if (n == QLatin1String("identification")) {
                ReadIdentification(sc);
            } else if (n == QLatin1String("part")) {
                SrcPart p;
                p.id = Attr("id");
                p.name = names[p.id];
                ReadPart(p);
                sc.parts.push_back(std::move(p));
            } else {
                r_.skipCurrentElement();
            }
        }
        if (r_.hasError()) return Fail(error, "XML として読めません");
        return true;
    }

private:
    bool Fail(std::string* error, const std::string& why) {
        if (error) {
            *error = "「" + name_ + "」: " + why;
            if (r_.hasError())
                *error += "（" + std::to_string(r_.lineNumber()) + " 行目: " + r_.errorString().toStdString() + "）";
        }
        return false;
    }
    std::string Attr(const char* a) const { return r_.attributes().value(QLatin1String(a)).toString().toStdString(); }
    std::string Text() { return r_.readElementText(QXmlStreamReader::SkipChildElements).trimmed().toStdString(); }
    // Numbers beyond any music (and not numbers) read as 0, so no sum of
    // them overflows.
    double Number() {
        bool ok = false;
        const double v = r_.readElementText(QXmlStreamReader::SkipChildElements).trimmed().toDouble(&ok);
        return ok && std::abs(v) <= 1e7 ? v : 0;
    }
    int Int() { return static_cast<int>(std::lround(Number())); }

    void ReadIdentification(SrcScore& sc) {
        while (r_.readNextStartElement()) {
            if (r_.name() == QLatin1String("encoding")) {
                while (r_.readNextStartElement()) {
                    if (r_.name() == QLatin1String("software") && sc.software.empty()) sc.software = Text();
                    else r_.skipCurrentElement();
                }
            } else {
                r_.skipCurrentElement();
            }
        }
    }

    Quarters Duration(const PartState& st) { return Quarters::Of(std::llround(Number()), st.divisions); }

    void ReadPart(SrcPart& p) {
        PartState st;
        while (r_.readNextStartElement()) {
            if (r_.name() == QLatin1String("measure")) ReadMeasure(p, st);
            else r_.skipCurrentElement();
        }
    }

    void ReadMeasure(SrcPart& p, PartState& st) {
        SrcMeasure m;
        m.number = Attr("number");
        if (m.number.empty()) m.number = std::to_string(p.measures.size() + 1);
        Quarters cursor, lastStart;
        auto reach = [&] {
            if (m.length < cursor) m.length = cursor;
        };
        while (r_.readNextStartElement()) {
            const QStringView n = r_.name();
            if (n == QLatin1String("attributes")) {
                ReadAttributes(p, m, st);
            } else if (n == QLatin1String("note")) {
                SrcNote note = ReadNote(st);
                if (note.chord) {
                    note.start = lastStart;
                } else {
                    note.start = cursor;
                    lastStart = cursor;
                    if (!note.grace) cursor = cursor + note.length;
                }
                reach();
                m.notes.push_back(std::move(note));
            } else if (n == QLatin1String("backup") || n == QLatin1String("forward")) {
                const bool back = n == QLatin1String("backup");
                Quarters d;
                while (r_.readNextStartElement()) {
                    if (r_.name() == QLatin1String("duration")) d = Duration(st);
                    else r_.skipCurrentElement();
                }
                cursor = back ? cursor - d : cursor + d;
                if (cursor < Quarters{}) cursor = {};
                reach();
            } else if (n == QLatin1String("harmony")) {
                m.harmonies.push_back(ReadHarmony(st, cursor));
            } else if (n == QLatin1String("direction")) {
                m.directions.push_back(ReadDirection(st, cursor));
            } else if (n == QLatin1String("sound")) {
                SrcDirection d;
                d.at = cursor;
                ReadSound(d);
                r_.skipCurrentElement();
                if (d.soundDaCapo || d.soundDalSegno || d.soundFine || d.soundToCoda) m.directions.push_back(d);
            } else if (n == QLatin1String("barline")) {
                ReadBarline(m, cursor);
            } else if (n == QLatin1String("print")) {
                m.newSystem = Attr("new-system") == "yes";
                r_.skipCurrentElement();
            } else {
                r_.skipCurrentElement();
            }
        }
        p.measures.push_back(std::move(m));
    }

    void ReadAttributes(SrcPart& p, SrcMeasure& m, PartState& st) {
        while (r_.readNextStartElement()) {
            const QStringView n = r_.name();
            if (n == QLatin1String("divisions")) {
                const int64_t d = std::llround(Number());
                if (d > 0 && d <= 100000) st.divisions = d;
            } else if (n == QLatin1String("key")) {
                const bool first = !m.hasKey;
                bool fifths = false;
                int value = 0;
                std::string mode;
                while (r_.readNextStartElement()) {
                    if (r_.name() == QLatin1String("fifths")) {
                        value = Int();
                        fifths = true;
                    } else if (r_.name() == QLatin1String("mode")) {
                        mode = Text();
                    } else {
                        r_.skipCurrentElement();
                    }
                }
                if (first && fifths) {
                    m.hasKey = true;
                    m.fifths = value;
                    m.mode = mode;
                }
            } else if (n == QLatin1String("time")) {
                const bool first = !m.hasTime;
                std::vector<std::string> beats, types;
                bool senza = false;
                while (r_.readNextStartElement()) {
                    if (r_.name() == QLatin1String("beats")) beats.push_back(Text());
                    else if (r_.name() == QLatin1String("beat-type")) types.push_back(Text());
                    else if (r_.name() == QLatin1String("senza-misura")) senza = true, r_.skipCurrentElement();
                    else r_.skipCurrentElement();
                }
                if (!first) continue;
                m.hasTime = true;
                for (size_t i = 0; i < beats.size(); ++i)
                    m.timeText += (i ? " + " : "") + beats[i] + "/" + (i < types.size() ? types[i] : "");
                if (senza) m.timeText = "senza misura";
                bool ok = !senza && beats.size() == 1 && types.size() == 1;
                if (ok) {
                    bool a = false, b = false;
                    m.beats = QString::fromStdString(beats[0]).toInt(&a);
                    m.beatType = QString::fromStdString(types[0]).toInt(&b);
                    ok = a && b;
                }
                m.timeUnsupported = !ok;
            } else if (n == QLatin1String("clef")) {
                const int staff = std::max(1, QString::fromStdString(Attr("number")).toInt());
                while (r_.readNextStartElement()) {
                    if (r_.name() == QLatin1String("sign") && Text() == "TAB") {
                        if (std::find(p.tabStaves.begin(), p.tabStaves.end(), staff) == p.tabStaves.end())
                            p.tabStaves.push_back(staff);
                    } else if (r_.isStartElement()) {
                        r_.skipCurrentElement();
                    }
                }
            } else if (n == QLatin1String("staff-details")) {
                const int staff = std::max(1, QString::fromStdString(Attr("number")).toInt());
                int lines = 0;
                std::map<int, int> tuning;
                while (r_.readNextStartElement()) {
                    const QStringView d = r_.name();
                    if (d == QLatin1String("staff-lines")) {
                        lines = Int();
                    } else if (d == QLatin1String("staff-tuning")) {
                        const int line = QString::fromStdString(Attr("line")).toInt();
                        std::string step;
                        int alter = 0, octave = 0;
                        while (r_.readNextStartElement()) {
                            if (r_.name() == QLatin1String("tuning-step")) step = Text();
                            else if (r_.name() == QLatin1String("tuning-alter")) alter = Int();
                            else if (r_.name() == QLatin1String("tuning-octave")) octave = Int();
                            else r_.skipCurrentElement();
                        }
                        if (StepClass(step) >= 0) tuning[line] = (octave + 1) * 12 + StepClass(step) + alter;
                    } else if (d == QLatin1String("capo")) {
                        p.capo = Int() > 0;
                    } else {
                        r_.skipCurrentElement();
                    }
                }
                if (!tuning.empty() && p.tuning.empty()) {
                    p.tuning = tuning;
                    p.tuningStaff = staff;
                    p.staffLines = lines > 0 ? lines : static_cast<int>(tuning.size());
                }
            } else if (n == QLatin1String("transpose")) {
                const int staff = QString::fromStdString(Attr("number")).toInt();
                int chromatic = 0, octave = 0;
                while (r_.readNextStartElement()) {
                    if (r_.name() == QLatin1String("chromatic")) chromatic = Int();
                    else if (r_.name() == QLatin1String("octave-change")) octave = Int();
                    else r_.skipCurrentElement();
                }
                st.transpose[staff] = chromatic + 12 * octave;
            } else {
                r_.skipCurrentElement();
            }
        }
    }

    static int TransposeOf(const PartState& st, int staff) {
        if (auto it = st.transpose.find(staff); it != st.transpose.end()) return it->second;
        if (auto it = st.transpose.find(0); it != st.transpose.end()) return it->second;
        return 0;
    }

    static Technique TechniqueOf(QStringView n) {
        if (n == QLatin1String("hammer-on")) return Technique::Hammer;
        if (n == QLatin1String("pull-off")) return Technique::Pull;
        if (n == QLatin1String("slide") || n == QLatin1String("glissando")) return Technique::Slide;
        return Technique::None;
    }

    void TakeTechnique(SrcNote& note, QStringView n) {
        const std::string type = Attr("type");
        const Technique t = TechniqueOf(n);
        if (type == "start") note.techStart = t;
        else if (type == "stop") note.techStop = t;
        r_.skipCurrentElement();
    }

    void ReadNotations(SrcNote& note) {
        while (r_.readNextStartElement()) {
            const QStringView n = r_.name();
            if (n == QLatin1String("tied")) {
                const std::string type = Attr("type");
                if (type == "start") note.tieStart = true;
                if (type == "stop") note.tieStop = true;
                r_.skipCurrentElement();
            } else if (n == QLatin1String("slur")) {
                const std::string type = Attr("type");
                const int number = std::max(1, QString::fromStdString(Attr("number")).toInt());
                if (type == "start" || type == "stop") note.slurs.push_back({number, type == "start"});
                r_.skipCurrentElement();
            } else if (n == QLatin1String("slide") || n == QLatin1String("glissando")) {
                TakeTechnique(note, n);
            } else if (n == QLatin1String("technical")) {
                while (r_.readNextStartElement()) {
                    const QStringView t = r_.name();
                    if (t == QLatin1String("string")) note.string = Int();
                    else if (t == QLatin1String("fret")) note.fret = Int();
                    else if (TechniqueOf(t) != Technique::None) TakeTechnique(note, t);
                    else r_.skipCurrentElement();
                }
            } else {
                r_.skipCurrentElement();
            }
        }
    }

    SrcNote ReadNote(const PartState& st) {
        SrcNote note;
        std::string step;
        double alter = 0;
        int octave = 4;
        bool pitched = false;
        while (r_.readNextStartElement()) {
            const QStringView n = r_.name();
            if (n == QLatin1String("grace")) note.grace = true, r_.skipCurrentElement();
            else if (n == QLatin1String("cue")) note.cue = true, r_.skipCurrentElement();
            else if (n == QLatin1String("chord")) note.chord = true, r_.skipCurrentElement();
            else if (n == QLatin1String("rest")) {
                note.rest = true;
                note.measureRest = Attr("measure") == "yes";
                r_.skipCurrentElement();
            } else if (n == QLatin1String("unpitched")) {
                note.unpitched = true;
                r_.skipCurrentElement();
            } else if (n == QLatin1String("pitch")) {
                pitched = true;
                while (r_.readNextStartElement()) {
                    if (r_.name() == QLatin1String("step")) step = Text();
                    else if (r_.name() == QLatin1String("alter")) alter = Number();
                    else if (r_.name() == QLatin1String("octave")) octave = Int();
                    else r_.skipCurrentElement();
                }
            } else if (n == QLatin1String("duration")) note.length = Duration(st);
            else if (n == QLatin1String("tie")) {
                const std::string type = Attr("type");
                if (type == "start") note.tieStart = true;
                if (type == "stop") note.tieStop = true;
                r_.skipCurrentElement();
            } else if (n == QLatin1String("voice")) note.voice = Text();
            else if (n == QLatin1String("type")) note.type = Text();
            else if (n == QLatin1String("dot")) ++note.dots, r_.skipCurrentElement();
            else if (n == QLatin1String("stem")) note.stemDown = Text() == "down";
            else if (n == QLatin1String("time-modification")) {
                while (r_.readNextStartElement()) {
                    if (r_.name() == QLatin1String("actual-notes")) note.actual = Int();
                    else if (r_.name() == QLatin1String("normal-notes")) note.normal = Int();
                    else if (r_.name() == QLatin1String("normal-type")) note.normalType = Text();
                    else if (r_.name() == QLatin1String("normal-dot")) ++note.normalDots, r_.skipCurrentElement();
                    else r_.skipCurrentElement();
                }
            } else if (n == QLatin1String("staff")) note.staff = std::max(1, Int());
            else if (n == QLatin1String("notations")) ReadNotations(note);
            else r_.skipCurrentElement();
        }
        if (note.voice.empty()) note.voice = "1";
        if (pitched && StepClass(step) >= 0) {
            const int semis = static_cast<int>(std::lround(alter));
            note.microtone = std::abs(alter - semis) > 1e-6;
            note.name = step + AlterText(semis) + std::to_string(octave);
            note.midi = (octave + 1) * 12 + StepClass(step) + semis + TransposeOf(st, note.staff);
        }
        return note;
    }

    SrcHarmony ReadHarmony(const PartState& st, const Quarters& cursor) {
        SrcHarmony h;
        h.at = cursor;
        while (r_.readNextStartElement()) {
            const QStringView n = r_.name();
            if (n == QLatin1String("root") || n == QLatin1String("bass")) {
                const bool root = n == QLatin1String("root");
                while (r_.readNextStartElement()) {
                    const QStringView c = r_.name();
                    if (c == QLatin1String("root-step") || c == QLatin1String("bass-step")) (root ? h.rootStep : h.bassStep) = Text();
                    else if (c == QLatin1String("root-alter") || c == QLatin1String("bass-alter")) (root ? h.rootAlter : h.bassAlter) = Int();
                    else r_.skipCurrentElement();
                }
            } else if (n == QLatin1String("kind")) {
                h.hasKindText = r_.attributes().hasAttribute(QLatin1String("text"));
                h.kindText = Attr("text");
                h.kind = Text();
            } else if (n == QLatin1String("degree")) {
                int value = 0, alter = 0;
                std::string type;
                while (r_.readNextStartElement()) {
                    if (r_.name() == QLatin1String("degree-value")) value = Int();
                    else if (r_.name() == QLatin1String("degree-alter")) alter = Int();
                    else if (r_.name() == QLatin1String("degree-type")) type = Text();
                    else r_.skipCurrentElement();
                }
                std::string d = type == "subtract" ? "omit" : type == "add" ? "add" : "";
                d += alter > 0 ? "#" : alter < 0 ? "♭" : "";
                h.degrees.push_back(d + std::to_string(value));
            } else if (n == QLatin1String("offset")) {
                h.at = cursor + Duration(st);
            } else {
                r_.skipCurrentElement();
            }
        }
        return h;
    }

    void ReadSound(SrcDirection& d) {
        const QXmlStreamAttributes a = r_.attributes();
        if (a.hasAttribute(QLatin1String("dalsegno"))) d.soundDalSegno = true;
        if (a.value(QLatin1String("dacapo")) == QLatin1String("yes")) d.soundDaCapo = true;
        if (a.hasAttribute(QLatin1String("fine"))) d.soundFine = true;
        if (a.hasAttribute(QLatin1String("tocoda"))) d.soundToCoda = true;
    }

    SrcDirection ReadDirection(const PartState& st, const Quarters& cursor) {
        SrcDirection d;
        d.at = cursor;
        while (r_.readNextStartElement()) {
            const QStringView n = r_.name();
            if (n == QLatin1String("direction-type")) {
                while (r_.readNextStartElement()) {
                    const QStringView t = r_.name();
                    if (t == QLatin1String("words") || t == QLatin1String("rehearsal")) {
                        const double size = QString::fromStdString(Attr("font-size")).toDouble();
                        if (size > 0 && d.fontSize == 0) d.fontSize = size;
                        const std::string w = Text();
                        if (!w.empty()) d.words += (d.words.empty() ? "" : " ") + w;
                    } else if (t == QLatin1String("segno")) {
                        d.segno = true;
                        r_.skipCurrentElement();
                    } else if (t == QLatin1String("coda")) {
                        d.coda = true;
                        r_.skipCurrentElement();
                    } else {
                        r_.skipCurrentElement();
                    }
                }
            } else if (n == QLatin1String("sound")) {
                ReadSound(d);
                r_.skipCurrentElement();
            } else if (n == QLatin1String("offset")) {
                d.at = cursor + Duration(st);
            } else {
                r_.skipCurrentElement();
            }
        }
        return d;
    }

    void ReadBarline(SrcMeasure& m, const Quarters& cursor) {
        const std::string location = Attr("location").empty() ? "right" : Attr("location");
        while (r_.readNextStartElement()) {
            const QStringView n = r_.name();
            if (n == QLatin1String("bar-style")) {
                const std::string style = Text();
                if (location == "right" && (style == "light-heavy" || style == "heavy")) m.finalBar = true;
            } else if (n == QLatin1String("repeat")) {
                const std::string dir = Attr("direction");
                if (dir == "forward") m.repeatForward = true;
                if (dir == "backward") m.repeatBackward = true;
                r_.skipCurrentElement();
            } else if (n == QLatin1String("ending")) {
                const std::string type = Attr("type");
                if (type == "start") m.endingStart = Attr("number");
                else if (type == "stop" || type == "discontinue") m.endingStop = true;
                r_.skipCurrentElement();
            } else if (n == QLatin1String("segno") || n == QLatin1String("coda")) {
                SrcDirection d;
                d.at = location == "left" ? Quarters{} : cursor;
                (n == QLatin1String("segno") ? d.segno : d.coda) = true;
                m.directions.push_back(d);
                r_.skipCurrentElement();
            } else {
                r_.skipCurrentElement();
            }
        }
    }

    QXmlStreamReader r_;
    std::string name_;
};

}  // namespace

bool ReadMusicXml(std::string_view xml, const std::string& name, SrcScore& score, std::string* error) {
    score = SrcScore{};
    Reader r(xml, name);
    return r.Run(score, error);
}

}  // namespace lw
