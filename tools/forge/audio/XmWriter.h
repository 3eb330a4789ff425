#pragma once
// Writes FastTracker 2 extended modules (.xm): patterns, an order list and instruments that
// each carry one 16-bit sample with a volume envelope.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vlm::forge::audio {

struct XmCell {
    uint8_t note = 0;        // 1..96 (1 = C-0), 97 = key off, 0 = none
    uint8_t instrument = 0;  // 1-based, 0 = none
    uint8_t volume = 0;      // volume column byte (0x10..0x50 = set volume 0..64), 0 = none
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct XmPattern {
    int rows = 64;
    int channels = 0;
    std::vector<XmCell> cells;  // rows * channels
    XmPattern(int rows_, int channels_) : rows(rows_), channels(channels_), cells(size_t(rows_) * channels_) {}
    XmCell& At(int row, int channel) { return cells[size_t(row) * channels + channel]; }
    const XmCell& At(int row, int channel) const { return cells[size_t(row) * channels + channel]; }
};

struct XmEnvelopePoint {
    uint16_t tick = 0;
    uint16_t value = 0;  // 0..64
};

struct XmInstrument {
    std::string name;
    std::vector<int16_t> sample;
    bool loop = false;
    uint32_t loopStart = 0, loopLength = 0;  // in sample frames
    uint8_t volume = 64;
    int8_t finetune = 0;
    int8_t relativeNote = 0;
    uint8_t panning = 128;
    std::vector<XmEnvelopePoint> envelope;  // empty: no envelope (key off cuts)
    int sustainPoint = -1;
    uint16_t fadeout = 0;
    uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct XmModule {
    std::string name;
    int channels = 8;
    int speed = 6;
    int bpm = 125;
    std::vector<uint8_t> orders;  // pattern index per order
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// Serialises a module. Throws std::invalid_argument for a module XM cannot hold.
std::vector<uint8_t> WriteXm(const XmModule& module);

// The relative note and finetune that make a sample recorded at `rate` Hz play at its own pitch
// for the note C-4.
void TuneForRate(double rate, int8_t& relativeNote, int8_t& finetune);

}  // namespace vlm::forge::audio
