#include "forge/audio/XmWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace vlm::forge::audio {

namespace {

void Put8(std::vector<uint8_t>& v, uint8_t x) { v.push_back(x); }
void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void PutText(std::vector<uint8_t>& v, const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) v.push_back(i < s.size() ? uint8_t(s[i]) : 0);
}

std::vector<uint8_t> PackPattern(const XmPattern& p) {
    std::vector<uint8_t> out;
    for (const XmCell& c : p.cells) {
        uint8_t mask = 0x80;
        if (c.note) mask |= 1;
        if (c.instrument) mask |= 2;
        if (c.volume) mask |= 4;
        if (c.effect) mask |= 8;
        if (c.param) mask |= 16;
        out.push_back(mask);
        if (c.note) out.push_back(c.note);
        if (c.instrument) out.push_back(c.instrument);
        if (c.volume) out.push_back(c.volume);
        if (c.effect) out.push_back(c.effect);
        if (c.param) out.push_back(c.param);
    }
    return out;
}

}  // namespace

void TuneForRate(double rate, int8_t& relativeNote, int8_t& finetune) {
    const double semis = 12.0 * std::log2(rate / 8363.0);
    int rel = int(std::lround(semis));
    int fine = int(std::lround((semis - rel) * 128.0));
    fine = std::clamp(fine, -128, 127);
    relativeNote = int8_t(rel);
    finetune = int8_t(fine);
}

std::vector<uint8_t> WriteXm(const XmModule& m) {
    if (m.channels < 1 || m.channels > 32 || (m.channels & 1))
        throw std::invalid_argument("XM needs an even channel count from 2 to 32");
    if (m.orders.empty() || m.orders.size() > 256) throw std::invalid_argument("XM needs 1 to 256 orders");
    if (m.patterns.empty() || m.patterns.size() > 256) throw std::invalid_argument("XM needs 1 to 256 patterns");
    if (m.instruments.size() > 128) throw std::invalid_argument("XM holds at most 128 instruments");
    for (uint8_t o : m.orders)
        if (o >= m.patterns.size()) throw std::invalid_argument("an order names a missing pattern");

    std::vector<uint8_t> v;
    PutText(v, "Extended Module: ", 17);
    PutText(v, m.name, 20);
    Put8(v, 0x1A);
    PutText(v, "Velmora forge", 20);
    Put16(v, 0x0104);
    Put32(v, 276);
    Put16(v, uint16_t(m.orders.size()));
    Put16(v, 0);  // restart position
    Put16(v, uint16_t(m.channels));
    Put16(v, uint16_t(m.patterns.size()));
    Put16(v, uint16_t(m.instruments.size()));
    Put16(v, 1);  // linear frequency table
    Put16(v, uint16_t(m.speed));
    Put16(v, uint16_t(m.bpm));
    for (size_t i = 0; i < 256; ++i) Put8(v, i < m.orders.size() ? m.orders[i] : 0);

    for (const XmPattern& p : m.patterns) {
        if (p.channels != m.channels || p.rows < 1 || p.rows > 256)
            throw std::invalid_argument("a pattern has the wrong shape");
        std::vector<uint8_t> packed = PackPattern(p);
        if (packed.size() > 0xFFFF) throw std::invalid_argument("a pattern is too large");
        Put32(v, 9);
        Put8(v, 0);
        Put16(v, uint16_t(p.rows));
        Put16(v, uint16_t(packed.size()));
        v.insert(v.end(), packed.begin(), packed.end());
    }

    for (const XmInstrument& ins : m.instruments) {
        if (ins.envelope.size() > 12) throw std::invalid_argument("an envelope has more than 12 points");
        const size_t start = v.size();
        Put32(v, 263);
        PutText(v, ins.name, 22);
        Put8(v, 0);
        Put16(v, 1);   // one sample
        Put32(v, 40);  // sample header size
        for (int i = 0; i < 96; ++i) Put8(v, 0);
        for (size_t i = 0; i < 12; ++i) {
            Put16(v, i < ins.envelope.size() ? ins.envelope[i].tick : 0);
            Put16(v, i < ins.envelope.size() ? ins.envelope[i].value : 0);
        }
        for (int i = 0; i < 12; ++i) Put32(v, 0);  // panning envelope
        Put8(v, uint8_t(ins.envelope.size()));
        Put8(v, 0);
        Put8(v, uint8_t(std::max(ins.sustainPoint, 0)));
        Put8(v, 0);
        Put8(v, 0);
        Put8(v, 0);
        Put8(v, 0);
        Put8(v, 0);
        uint8_t volType = 0;
        if (!ins.envelope.empty()) volType |= 1;
        if (!ins.envelope.empty() && ins.sustainPoint >= 0) volType |= 2;
        Put8(v, volType);
        Put8(v, 0);
        Put8(v, ins.vibratoType);
        Put8(v, ins.vibratoSweep);
        Put8(v, ins.vibratoDepth);
        Put8(v, ins.vibratoRate);
        Put16(v, ins.fadeout);
        while (v.size() < start + 263) Put8(v, 0);

        Put32(v, uint32_t(ins.sample.size() * 2));
        Put32(v, ins.loop ? ins.loopStart * 2 : 0);
        Put32(v, ins.loop ? ins.loopLength * 2 : 0);
        Put8(v, ins.volume);
        Put8(v, uint8_t(ins.finetune));
        Put8(v, uint8_t(0x10 | (ins.loop ? 1 : 0)));
        Put8(v, ins.panning);
        Put8(v, uint8_t(ins.relativeNote));
        Put8(v, 0);
        PutText(v, ins.name, 22);
        int16_t previous = 0;
        for (int16_t s : ins.sample) {
            Put16(v, uint16_t(int16_t(s - previous)));
            previous = s;
        }
    }
    return v;
}

}  // namespace vlm::forge::audio
