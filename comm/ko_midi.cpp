#include "ko_midi.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>

#include "instrument_sound.h"
#include "messages.h"

namespace lw {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

const std::array<GmItem, 25> kGmItems = {{
    {1, "Acoustic Grand Piano"},   {3, "Electoric Grand Piano"},  {7, "Harpsichord"},
    {12, "Vibraphone"},            {13, "Marinba"},               {20, "Church Organ"},
    {22, "Accordion"},             {23, "Harmonica"},             {25, "Acoustic Guitar(nylon)"},
    {26, "Acoustic Guitar(steel)"}, {27, "Electric Guitar(jazz)"}, {33, "Acoustic Bass"},
    {34, "Electric Bass(finger)"}, {41, "Violin"},                {42, "Viola"},
    {43, "Cello"},                 {49, "String Ensemble 1"},     {57, "Trumpet"},
    {58, "Trombone"},              {65, "Soprano Sax"},           {66, "Alto Sax"},
    {67, "Tenor Sax"},             {68, "Baritone Sax"},          {72, "Clarinet"},
    {106, "Banjo"},
}};

// ------------------------------------------------------------- clock

SteadyPlayClock MakeWindowClock() {
    using namespace std::chrono;
    return SteadyPlayClock(
        [] { return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count(); },
        [](SteadyPlayClock::Ms until) {
            const auto left = until - duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
            if (left <= 0) return;
            QEventLoop loop;
            QTimer::singleShot(static_cast<int>(left), Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        });
}

std::string FallbackWavPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
        .filePath(QStringLiteral("Lutewise-MidiPlayer.wav"))
        .toStdString();
}

// ------------------------------------------------------------- window

KoMIDI::KoMIDI(UiPort& ui, std::function<void(int16_t)> activate, QWidget* parent)
    : QDialog(parent), ui_(ui), activate_(std::move(activate)), clock_(MakeWindowClock()),
      player_(*this, clock_, *this) {
    setObjectName("KoMIDI");
    setWindowTitle(QStringLiteral("Midi Player"));
    auto* lay = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    lay->setMenuBar(bar);

    QMenu* dev = bar->addMenu(QStringLiteral("Midi Device"));
    dev->setObjectName("mnuDevice");
    auto* devGroup = new QActionGroup(this);
    for (int i = 0; i < 11; ++i) {
        device[i] = dev->addAction(i == 0 ? QStringLiteral("MIDI Mapper") : QString());
        device[i]->setObjectName(QStringLiteral("device%1").arg(i));
        device[i]->setCheckable(true);
        device[i]->setVisible(i == 0);
        devGroup->addAction(device[i]);
        connect(device[i], &QAction::triggered, this, [this, i] { ChooseDevice(i); });
    }
    QMenu* ch = bar->addMenu(QStringLiteral("Channel"));
    ch->setObjectName("mnuChannel");
    auto* chGroup = new QActionGroup(this);
    for (int i = 0; i < 16; ++i) {
        chan[i] = ch->addAction(QString::number(i + 1));
        chan[i]->setObjectName(QStringLiteral("chan%1").arg(i));
        chan[i]->setCheckable(true);
        chGroup->addAction(chan[i]);
        connect(chan[i], &QAction::triggered, this, [this, i] { ChooseChannel(i); });
    }
    QMenu* gm = bar->addMenu(QStringLiteral("音色"));
    gm->setObjectName("mnuGM");
    auto* gmGroup = new QActionGroup(this);
    for (const GmItem& item : kGmItems) {
        QAction* a = gm->addAction(QString::fromUtf8(item.caption));
        a->setObjectName(QStringLiteral("GMNo%1").arg(item.number));
        a->setCheckable(true);
        gmGroup->addAction(a);
        const int n = item.number;
        connect(a, &QAction::triggered, this, [this, n] { ChooseInstrument(n); });
        gmNo_[n] = a;
    }
    mnuBaseNote = bar->addAction(QStringLiteral("Base note"));
    mnuBaseNote->setObjectName("mnuBaseNote");
    connect(mnuBaseNote, &QAction::triggered, this, [this] { BaseNoteCommand(); });

    auto* tempo = new QHBoxLayout;
    tempo->addWidget(new QLabel(QStringLiteral("１分間に")));
    txtSleep = new QLineEdit(QStringLiteral("100"));
    txtSleep->setObjectName("txtSleep");
    txtSleep->setMaximumWidth(60);
    txtSleep->setAlignment(Qt::AlignRight);
    connect(txtSleep, &QLineEdit::textChanged, this, [this](const QString& t) { player_.TempoText = t.toStdString(); });
    tempo->addWidget(txtSleep);
    tempo->addWidget(new QLabel(QStringLiteral("拍")));
    tempo->addSpacing(16);
    LoopOn = new QCheckBox(QStringLiteral("Loop"));
    LoopOn->setObjectName("LoopOn");
    connect(LoopOn, &QCheckBox::toggled, this, [this](bool on) { player_.LoopFlag = on; });
    tempo->addWidget(LoopOn);
    tempo->addStretch();
    lay->addLayout(tempo);

    auto* volRow = new QHBoxLayout;
    volRow->addWidget(new QLabel(QStringLiteral("Volume")));
    vol = new QScrollBar(Qt::Horizontal);
    vol->setObjectName("vol");
    // 127 at the left, 0 at the right.
    vol->setRange(0, 127);
    vol->setInvertedAppearance(true);
    vol->setInvertedControls(true);
    vol->setMinimumWidth(200);
    connect(vol, &QScrollBar::valueChanged, this, [this](int v) { player_.Velocity = static_cast<int16_t>(v); });
    volRow->addWidget(vol, 1);
    lay->addLayout(volRow);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* name, QStyle::StandardPixmap icon, const QString& tip) {
        auto* b = new QPushButton(style()->standardIcon(icon), QString());
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    button("GoTop", QStyle::SP_MediaSkipBackward, QStringLiteral("GoTop"));
    button("Rewind", QStyle::SP_MediaSeekBackward, QStringLiteral("Rewind"));
    Play = button("Play", QStyle::SP_MediaPlay, QStringLiteral("Play"));
    Play->setCheckable(true);
    button("Pause", QStyle::SP_MediaPause, QStringLiteral("Pause"));
    PlayStop = button("PlayStop", QStyle::SP_MediaStop, QStringLiteral("Stop"));
    PlayStop->setEnabled(false);
    button("Ffwd", QStyle::SP_MediaSeekForward, QStringLiteral("Ffwd"));
    button("GoEnd", QStyle::SP_MediaSkipForward, QStringLiteral("GoEnd"));
    connect(Play, &QPushButton::clicked, this, [this] { PlayClick(); });
    connect(PlayStop, &QPushButton::clicked, this, [this] { PlayStopClick(); });
    lay->addLayout(buttons);

    labGakki = new QLabel;
    labGakki->setObjectName("labGakki");
    labInfo = new QLabel;
    labInfo->setObjectName("labInfo");
    labInfo->setMinimumWidth(240);
    auto* info = new QHBoxLayout;
    info->addWidget(labGakki, 1);
    info->addWidget(labInfo, 1);
    lay->addLayout(info);
    labOutput = new QLabel;
    labOutput->setObjectName("labOutput");
    labOutput->setWordWrap(true);
    QFont small = labOutput->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    labOutput->setFont(small);
    lay->addWidget(labOutput);
}

namespace {
// Before an output closes: nothing may keep sounding on a port that stays
// with the system.
void SilenceAll(MidiOutput& out) {
    for (int ch = 0; ch < 16; ++ch) out.ShortMsg(PackShortMsg(0xB0 + ch, 123, 0));
}
}  // namespace

KoMIDI::~KoMIDI() {
    // Unloading closes the output.
    if (output_) SilenceAll(*output_);
    output_.reset();
}

void KoMIDI::FormLoad() {
    deviceIndex_ = -1;
    player_.Channel = 0;
    player_.Velocity = 127;
    // The tuning's own pitch and instrument: a guitar sounds as a guitar.
    player_.BaseNote = static_cast<int16_t>(SoundingBase(player_.Gakki));
    player_.StopFlag = false;
    player_.LoopFlag = false;
    player_.CurrentRow = 0;
    vol->setValue(127);
    labInfo->clear();
    labGakki->clear();
    device[0]->setText(QStringLiteral("MIDI Mapper"));
    const MidiPortList ports = ListMidiOutPorts();
    for (size_t d = 0; d < ports.names.size() && d + 1 < 11; ++d) {
        device[d + 1]->setText(Q(ports.names[d]));
        device[d + 1]->setVisible(true);
    }
    if (!ports.error.empty()) device[0]->setToolTip(Q(ports.error));
    portNote_ = ports.error;
    ChooseDevice(0);
    ChooseChannel(0);
    ChooseInstrument(GmProgramOf(player_.Gakki));
}

void KoMIDI::ChooseDevice(int item) {
    for (int i = 0; i < 11; ++i) device[i]->setChecked(i == item);
    deviceIndex_ = static_cast<int16_t>(item - 1);
    if (output_) SilenceAll(*output_);
    output_.reset();
    int rc = 0;
    std::string reason;
    output_ = OpenMidiOutput(deviceIndex_, FallbackWavPath(), rc, reason);
    lastResult_ = rc;
    std::string where = output_ ? output_->Describe() : "出力なし: " + reason;
    if (!portNote_.empty()) where += std::string("\n") + portNote_;
    labOutput->setText(Q(where));
    if (rc != 0)
        ShowMsg(ui_, "Couldn't open midi out, rc = " + std::to_string(rc) + kMsgBreak + reason, "16",
                "Midi Player");
}

void KoMIDI::ChooseChannel(int item) {
    for (int i = 0; i < 16; ++i) chan[i]->setChecked(i == item);
    player_.Channel = static_cast<int16_t>(item);
}

void KoMIDI::ChooseInstrument(int n) {
    for (auto& [num, a] : gmNo_) a->setChecked(num == n);
    player_.SetInstrument(n);
}

void KoMIDI::BaseNoteCommand() {
    bool ok = false;
    const QString answer = QInputDialog::getText(this, QStringLiteral("Base note"),
                                                 QStringLiteral("Enter the new base note for the keyboard (0 - 111)"),
                                                 QLineEdit::Normal, QString::number(player_.BaseNote), &ok);
    if (ok) ParseBaseNote(answer.toStdString(), player_.BaseNote);
}

void KoMIDI::PlayClick() {
    if (playing_) return;
    player_.TempoText = txtSleep->text().toStdString();
    if (!player_.TempoOk()) {
        Play->setChecked(false);
        return;
    }
    auto it = gmNo_.find(player_.Instrument);
    labGakki->setText(it != gmNo_.end() ? it->second->text() : QString());
    Play->setEnabled(false);
    PlayStop->setEnabled(true);
    player_.StopFlag = false;
    playing_ = true;
    player_.MIDISaisei();
    playing_ = false;
    Play->setEnabled(true);
    Play->setChecked(false);
    PlayStop->setEnabled(false);
    labGakki->clear();
    labInfo->clear();
    if (closeAfterPlay_) {
        closeAfterPlay_ = false;
        QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
    }
}

void KoMIDI::PlayStopClick() {
    labGakki->clear();
    labInfo->clear();
    Play->setEnabled(true);
    PlayStop->setEnabled(false);
    player_.StopFlag = true;
    Play->setChecked(false);
    LoopOn->setChecked(false);
}

void KoMIDI::closeEvent(QCloseEvent* e) {
    if (playing_) {
        // The playing loop is below this event: stop it, close after it.
        player_.StopFlag = true;
        closeAfterPlay_ = true;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void KoMIDI::reject() {
    if (playing_) {
        player_.StopFlag = true;
        closeAfterPlay_ = true;
        return;
    }
    QDialog::reject();
}

void KoMIDI::DoEvents() { QCoreApplication::processEvents(); }

void KoMIDI::ShowProgress(const std::string& text) { labInfo->setText(Q(text)); }

void KoMIDI::ActiveteDocument(int16_t index) {
    if (activate_) activate_(index);
}

void KoMIDI::ShowMessage(const std::string& text) { ShowMsg(ui_, text, "16", "Midi Player"); }

void KoMIDI::ShortMsg(uint32_t packed) {
    if (output_) output_->ShortMsg(packed);
}

}  // namespace lw
