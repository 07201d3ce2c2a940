// How each tuning sounds: the key of its open-string offset 0 and the
// General MIDI instrument of its family. Playback, the MIDI file and the
// MusicXML score take their pitches and instrument from here.
#pragma once

namespace lw {

// Semitones added to a tuning's open-string offsets for the sounding pitch
// (MIDI key numbers): 36 for the guitar family (open strings E2 A2 D3 G3 B3
// E4), 48 for ukuleles, mandolin and charango, 24 for the basses (E1 A1 D2
// G2). The user tunings follow the instruments of their string counts: four
// and five strings are basses, six a guitar.
int SoundingBase(int gakkiCode);

// General MIDI instrument number (counted from 1) of the tuning's family:
// 25 nylon guitar for the guitars, ukuleles and charango, 26 steel guitar for
// the mandolin, 34 finger bass for the basses.
int GmProgramOf(int gakkiCode);

}  // namespace lw
