#include "forge/audio/Score.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>
#include <sstream>

#include "forge/audio/Instruments.h"

namespace vlm::forge::audio {

namespace {

constexpr int kStepsPerBar = 16;
constexpr uint8_t kKeyOff = 97;

// The module's channels. Every tune uses the same layout.
enum Channel { kLead, kLead2, kEcho, kBass, kArp, kPad1, kPad2, kPad3, kKick, kSnare, kHat, kPerc, kChannels };

// Score roles; "pad" drives the three pad channels.
const std::array<const char*, 10> kRoles = {"lead", "lead2", "echo", "bass", "arp", "pad", "kick", "snare", "hat", "perc"};

struct Voice {
    std::string instrument;
    int volume = 48;  // 0..64
    int pan = 0;      // -100 (left) .. 100 (right)
    int octave = 4;
};

struct Chord {
    int root = 0;                // pitch class, 0 = C
    std::vector<int> intervals;  // ascending semitones from the root, first is 0
};

struct Section {
    std::string name;
    int bars = 4;
    int line = 0;
    std::vector<std::pair<std::string, int>> chordText;  // token, line
    std::map<std::string, std::pair<std::string, int>> lines;  // role -> text, line
    std::map<std::string, Voice> voices;                 // overrides for this section
    int echoDelay = 0;
};

struct Tune {
    std::string name;
    std::string file;
    int declaredOrder = -1;
    int bpm = 125;
    int speed = 6;
    std::string kit = "bright";  // the drum kit: its kick, snare, hats, cymbal and toms
    std::map<std::string, Voice> voices;
    std::vector<Section> sections;
    std::vector<int> arrangement;  // section indices
};

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what) {
    throw ScoreError(file + ":" + std::to_string(line) + ": " + what);
}

int ToInt(const std::string& file, int line, const std::string& text, int lo, int hi) {
    try {
        size_t used = 0;
        int v = std::stoi(text, &used);
        if (used == text.size() && v >= lo && v <= hi) return v;
    } catch (...) {
    }
    Fail(file, line, "\"" + text + "\" is not a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
}

// "c", "c#", "db" ... -> pitch class; -1 when not a note name. `used` gets the length read.
int PitchClass(const std::string& s, size_t& used) {
    static const int base[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    if (s.empty()) return -1;
    const char c = char(std::tolower(static_cast<unsigned char>(s[0])));
    if (c < 'a' || c > 'g') return -1;
    int pc = base[c - 'a'];
    used = 1;
    if (s.size() > 1 && s[1] == '#') {
        ++pc;
        used = 2;
    } else if (s.size() > 1 && s[1] == 'b') {
        --pc;
        used = 2;
    }
    return (pc + 12) % 12;
}

std::optional<Chord> ParseChord(const std::string& text) {
    size_t used = 0;
    int pc = PitchClass(text, used);
    if (pc < 0 || !std::isupper(static_cast<unsigned char>(text[0]))) return std::nullopt;
    static const std::map<std::string, std::vector<int>> kinds = {
        {"", {0, 4, 7}},         {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}},  {"m7", {0, 3, 7, 10}},
        {"maj7", {0, 4, 7, 11}}, {"sus2", {0, 2, 7}},      {"sus4", {0, 5, 7}},   {"dim", {0, 3, 6}},
        {"5", {0, 7}},           {"add9", {0, 4, 7, 14}},  {"madd9", {0, 3, 7, 14}}, {"aug", {0, 4, 8}},
    };
    auto it = kinds.find(text.substr(used));
    if (it == kinds.end()) return std::nullopt;
    return Chord{pc, it->second};
}

std::vector<std::string> Split(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

std::string Join(const std::vector<std::string>& words, size_t from) {
    std::string s;
    for (size_t i = from; i < words.size(); ++i) s += (s.empty() ? "" : " ") + words[i];
    return s;
}

bool IsRole(const std::string& s) { return std::find(kRoles.begin(), kRoles.end(), s) != kRoles.end(); }

Voice DefaultVoice(const std::string& role) {
    Voice v;
    if (role == "lead") v = {"lead", 44, 0, 5};
    if (role == "lead2") v = {"square", 32, -30, 5};
    if (role == "echo") v = {"", 20, 45, 5};
    if (role == "bass") v = {"bass", 50, 0, 2};
    if (role == "arp") v = {"pluck", 30, 35, 4};
    if (role == "pad") v = {"pad", 26, 0, 4};
    if (role == "kick") v = {"kick", 56, 0, 4};
    if (role == "snare") v = {"snare", 44, 5, 4};
    if (role == "hat") v = {"hat", 26, 25, 4};
    if (role == "perc") v = {"crash", 34, -20, 4};
    return v;
}

Tune ParseTune(const ScoreText& score, const std::vector<XmInstrument>& instruments) {
    Tune tune;
    tune.file = score.file;
    for (const char* role : kRoles) tune.voices[role] = DefaultVoice(role);
    std::istringstream in(score.text);
    std::string raw;
    int lineNo = 0;
    Section* section = nullptr;
    bool arranged = false;
    while (std::getline(in, raw)) {
        ++lineNo;
        // A comment starts with "#" at the start of a word ("c#5" is a note).
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '#' && (i == 0 || raw[i - 1] == ' ' || raw[i - 1] == '\t')) {
                raw.erase(i);
                break;
            }
        }
        std::vector<std::string> w = Split(raw);
        if (w.empty()) continue;
        const std::string& key = w[0];
        auto need = [&](size_t n) {
            if (w.size() < n) Fail(score.file, lineNo, "\"" + key + "\" needs " + std::to_string(n - 1) + " value(s)");
        };
        if (key == "tune") {
            need(2);
            tune.name = w[1];
        } else if (key == "order") {
            need(2);
            tune.declaredOrder = ToInt(score.file, lineNo, w[1], 0, 255);
        } else if (key == "bpm") {
            need(2);
            tune.bpm = ToInt(score.file, lineNo, w[1], 32, 255);
        } else if (key == "speed") {
            need(2);
            tune.speed = ToInt(score.file, lineNo, w[1], 1, 31);
        } else if (key == "kit") {
            // kit <name>: the kick, snare, hat and perc voices take that kit's sounds; it comes
            // before the sections (every section of a tune plays the same kit).
            need(2);
            if (section) Fail(score.file, lineNo, "\"kit\" belongs before the first section");
            const auto& kits = DrumKits();
            if (std::find(kits.begin(), kits.end(), w[1]) == kits.end()) Fail(score.file, lineNo, "unknown kit \"" + w[1] + "\"");
            tune.kit = w[1];
            for (auto [role, piece] : {std::pair{"kick", "kick"}, {"snare", "snare"}, {"hat", "hat"}, {"perc", "crash"}})
                tune.voices[role].instrument = KitPiece(tune.kit, piece);
        } else if (key == "voice") {
            // voice <role> <instrument> [volume] [pan] [octave]
            need(3);
            if (!IsRole(w[1])) Fail(score.file, lineNo, "unknown role \"" + w[1] + "\"");
            if (!InstrumentNumber(instruments, w[2])) Fail(score.file, lineNo, "unknown instrument \"" + w[2] + "\"");
            Voice v = section && section->voices.count(w[1]) ? section->voices[w[1]] : tune.voices[w[1]];
            v.instrument = w[2];
            if (w.size() > 3) v.volume = ToInt(score.file, lineNo, w[3], 0, 64);
            if (w.size() > 4) v.pan = ToInt(score.file, lineNo, w[4], -100, 100);
            if (w.size() > 5) v.octave = ToInt(score.file, lineNo, w[5], 0, 7);
            (section ? section->voices : tune.voices)[w[1]] = v;
        } else if (key == "section") {
            need(3);
            if (arranged) Fail(score.file, lineNo, "sections must come before \"arrange\"");
            for (const Section& s : tune.sections)
                if (s.name == w[1]) Fail(score.file, lineNo, "section \"" + w[1] + "\" is defined twice");
            Section s;
            s.name = w[1];
            s.bars = ToInt(score.file, lineNo, w[2], 1, 16);
            s.line = lineNo;
            tune.sections.push_back(s);
            section = &tune.sections.back();
        } else if (key == "arrange") {
            need(2);
            arranged = true;
            section = nullptr;
            for (size_t i = 1; i < w.size(); ++i) {
                auto it = std::find_if(tune.sections.begin(), tune.sections.end(),
                                       [&](const Section& s) { return s.name == w[i]; });
                if (it == tune.sections.end()) Fail(score.file, lineNo, "no section \"" + w[i] + "\"");
                tune.arrangement.push_back(int(it - tune.sections.begin()));
            }
        } else if (section && key == "chords") {
            for (size_t i = 1; i < w.size(); ++i) section->chordText.push_back({w[i], lineNo});
        } else if (section && key == "echo") {
            need(2);
            section->echoDelay = ToInt(score.file, lineNo, w[1], 1, 32);
        } else if (section && IsRole(key)) {
            auto& entry = section->lines[key];
            if (entry.first.empty()) entry.second = lineNo;
            entry.first += (entry.first.empty() ? "" : " ") + Join(w, 1);
        } else {
            Fail(score.file, lineNo, "unexpected \"" + key + "\"");
        }
    }
    if (tune.name.empty()) Fail(score.file, 1, "no \"tune\" line");
    if (tune.arrangement.empty()) Fail(score.file, lineNo, "no \"arrange\" line");
    return tune;
}

// Chord of every step of a section.
std::vector<Chord> ChordSteps(const Tune& tune, const Section& s) {
    const int steps = s.bars * kStepsPerBar;
    if (s.chordText.empty()) Fail(tune.file, s.line, "section \"" + s.name + "\" has no chords");
    std::vector<std::vector<std::pair<std::string, int>>> bars(1);
    for (const auto& t : s.chordText) {
        if (t.first == "|") {
            bars.emplace_back();
        } else {
            bars.back().push_back(t);
        }
    }
    if (bars.back().empty()) bars.pop_back();
    if (bars.empty() || s.bars % int(bars.size()) != 0)
        Fail(tune.file, s.chordText.front().second,
             "section \"" + s.name + "\": " + std::to_string(bars.size()) + " chord bars do not divide " +
                 std::to_string(s.bars) + " bars");
    std::vector<Chord> out;
    std::optional<Chord> current;
    for (int b = 0; b < s.bars; ++b) {
        const auto& bar = bars[size_t(b) % bars.size()];
        if (bar.empty() || kStepsPerBar % int(bar.size()) != 0)
            Fail(tune.file, s.chordText.front().second, "a bar needs 1, 2, 4, 8 or 16 chords");
        const int each = kStepsPerBar / int(bar.size());
        for (const auto& [token, line] : bar) {
            if (token != ".") {
                current = ParseChord(token);
                if (!current) Fail(tune.file, line, "\"" + token + "\" is not a chord");
            } else if (!current) {
                Fail(tune.file, line, "\".\" continues a chord but none came before");
            }
            for (int i = 0; i < each; ++i) out.push_back(*current);
        }
    }
    (void)steps;
    return out;
}

// A step string with bars marked by spaces or "|": returns one character per step, repeated
// to fill the section.
std::string StepString(const Tune& tune, const Section& s, const std::string& role, const std::string& text, int line,
                       const std::string& allowed) {
    // "x...*3" repeats a group: the text before "*" three times.
    std::string steps;
    std::istringstream in(text);
    for (std::string tok; in >> tok;) {
        int repeat = 1;
        if (size_t star = tok.find('*'); star != std::string::npos) {
            repeat = ToInt(tune.file, line, tok.substr(star + 1), 1, 256);
            tok.erase(star);
        }
        std::string group;
        for (char c : tok) {
            if (c == '|') continue;
            if (allowed.find(c) == std::string::npos)
                Fail(tune.file, line, std::string("\"") + c + "\" is not allowed in a " + role + " line");
            group += c;
        }
        for (int i = 0; i < repeat; ++i) steps += group;
    }
    const int total = s.bars * kStepsPerBar;
    if (steps.empty() || total % int(steps.size()) != 0)
        Fail(tune.file, line, role + ": " + std::to_string(steps.size()) + " steps do not divide the section's " +
                                  std::to_string(total));
    std::string out;
    while (int(out.size()) < total) out += steps;
    return out;
}

struct Event {
    int step;
    int note;    // XM note, or kKeyOff
    int volume;  // 0..64
};

// Melody: "e5:4 d5:2 r:2 -:4 | ..." -> note events; checks bar lengths at "|".
std::vector<Event> Melody(const Tune& tune, const Section& s, const std::string& role, const std::string& text,
                          int line, int volume) {
    std::vector<Event> ev;
    std::istringstream in(text);
    int step = 0, barStart = 0, length = 4;
    for (std::string tok; in >> tok;) {
        if (tok == "|") {
            if (step == barStart) continue;  // a bar line at the start or doubled
            if (step - barStart != kStepsPerBar)
                Fail(tune.file, line, role + ": a bar ending at step " + std::to_string(step) + " holds " +
                                          std::to_string(step - barStart) + " steps, not 16");
            barStart = step;
            continue;
        }
        std::string head = tok;
        if (size_t colon = tok.find(':'); colon != std::string::npos) {
            head = tok.substr(0, colon);
            length = ToInt(tune.file, line, tok.substr(colon + 1), 1, 256);
        }
        int vol = volume;
        if (!head.empty() && head.back() == '!') {
            vol = std::min(64, volume * 5 / 4);
            head.pop_back();
        }
        if (head == "r") {
            ev.push_back({step, kKeyOff, 0});
        } else if (head != "-") {
            size_t used = 0;
            const int pc = PitchClass(head, used);
            if (pc < 0 || used >= head.size() || !std::isdigit(static_cast<unsigned char>(head[used])) ||
                used + 1 != head.size())
                Fail(tune.file, line, role + ": \"" + tok + "\" is not a note like e5:4, a rest r:2 or a hold -:2");
            const int octave = head[used] - '0';
            // Pitch classes are taken modulo the octave, so "cb4" is B-3 and "b#4" is C-5.
            int note = 1 + octave * 12 + pc;
            if (head.size() >= 2 && head[1] == 'b' && std::tolower(head[0]) == 'c') note -= 12;
            if (head.size() >= 2 && head[1] == '#' && std::tolower(head[0]) == 'b') note += 12;
            if (note < 1 || note > 96) Fail(tune.file, line, role + ": \"" + tok + "\" is out of range");
            ev.push_back({step, note, vol});
        }
        step += length;
    }
    const int total = s.bars * kStepsPerBar;
    if (step == 0 || total % step != 0)
        Fail(tune.file, line, role + ": the line lasts " + std::to_string(step) + " steps, which does not divide the section's " +
                                  std::to_string(total));
    std::vector<Event> out;
    for (int rep = 0; rep * step < total; ++rep)
        for (const Event& e : ev) out.push_back({e.step + rep * step, e.note, e.volume});
    return out;
}

uint8_t PanByte(int pan) { return uint8_t(std::clamp((pan + 100) * 255 / 200, 0, 255)); }

void Put(XmPattern& p, int row, int channel, int note, int instrument, int volume) {
    XmCell& c = p.At(row, channel);
    c.note = uint8_t(note);
    if (note != kKeyOff) {
        c.instrument = uint8_t(instrument);
        c.volume = uint8_t(0x10 + std::clamp(volume, 0, 64));
    }
}

// The last rows of a tune before it jumps back to its start: every channel fades out, so the
// ringing notes do not carry into the restart and one pass played on a loop sounds as the game
// loops it, without a step at the seam.
void FadeIntoLoop(XmPattern& p) {
    constexpr int kFadeRows = 3;
    for (int r = std::max(0, p.rows - kFadeRows); r < p.rows; ++r) {
        const int left = p.rows - r;  // 3, 2, 1
        for (int c = 0; c < p.channels; ++c) {
            XmCell& cell = p.At(r, c);
            if (cell.note != 0 && cell.note != kKeyOff && left == kFadeRows) {
                // A note struck as the fade begins starts quieter; later ones are left out.
                const int volume = cell.volume >= 0x10 ? cell.volume - 0x10 : 64;
                cell.volume = uint8_t(0x10 + volume * 3 / 5);
                continue;
            }
            if (cell.note != kKeyOff) {
                cell.note = 0;
                cell.instrument = 0;
            }
            cell.volume = uint8_t(0x60 + (left == 1 ? 15 : 6));  // slide down every tick
        }
    }
}

void CheckNote(const Tune& tune, int line, int note) {
    if (note < 1 || note > 96) Fail(tune.file, line, "a note falls outside the playable range");
}

XmPattern BuildPattern(const Tune& tune, const Section& s, const std::vector<XmInstrument>& instruments) {
    const int rows = s.bars * kStepsPerBar;
    XmPattern p(rows, kChannels);
    auto voice = [&](const std::string& role) {
        auto it = s.voices.find(role);
        return it != s.voices.end() ? it->second : tune.voices.at(role);
    };
    auto number = [&](const std::string& name) { return InstrumentNumber(instruments, name); };
    const std::vector<Chord> chords = ChordSteps(tune, s);
    auto line = [&](const std::string& role) -> const std::pair<std::string, int>* {
        auto it = s.lines.find(role);
        return it == s.lines.end() ? nullptr : &it->second;
    };

    // Row 0: tempo and speed for whoever jumps here, the channels' stereo places, and a key off
    // for every channel this section leaves silent.
    p.At(0, kKick).effect = 0x0F;
    p.At(0, kKick).param = uint8_t(tune.speed);
    p.At(0, kHat).effect = 0x0F;
    p.At(0, kHat).param = uint8_t(tune.bpm);
    const std::pair<int, const char*> panned[] = {{kLead, "lead"}, {kLead2, "lead2"}, {kEcho, "echo"}, {kBass, "bass"},
                                                  {kArp, "arp"},   {kPad1, "pad"},    {kPad2, "pad"},  {kPad3, "pad"},
                                                  {kSnare, "snare"}, {kPerc, "perc"}};
    for (auto [channel, role] : panned) {
        int pan = voice(role).pan;
        if (channel == kPad1) pan -= 40;
        if (channel == kPad3) pan += 40;
        p.At(0, channel).effect = 0x08;
        p.At(0, channel).param = PanByte(pan);
    }
    for (int c = 0; c < kChannels; ++c) p.At(0, c).note = kKeyOff;

    // Melodies.
    std::vector<Event> lead;
    for (auto [channel, role] : {std::pair{kLead, "lead"}, std::pair{kLead2, "lead2"}}) {
        const auto* l = line(role);
        if (!l) continue;
        const Voice v = voice(role);
        std::vector<Event> ev = Melody(tune, s, role, l->first, l->second, v.volume);
        for (const Event& e : ev) Put(p, e.step, channel, e.note, number(v.instrument), e.volume);
        if (channel == kLead) lead = ev;
    }
    if (s.echoDelay > 0 && !lead.empty()) {
        Voice v = voice("echo");
        if (v.instrument.empty()) v.instrument = voice("lead").instrument;
        for (const Event& e : lead) {
            const int row = e.step + s.echoDelay;
            if (row >= rows) continue;
            Put(p, row, kEcho, e.note, number(v.instrument), e.volume * v.volume / 64);
        }
    }

    // Bass from chord tones.
    if (const auto* l = line("bass")) {
        const Voice v = voice("bass");
        const std::string steps = StepString(tune, s, "bass", l->first, l->second, "Rr3578b^.");
        for (int i = 0; i < rows; ++i) {
            const char c = steps[size_t(i)];
            if (c == '.') continue;
            if (c == '^') {
                Put(p, i, kBass, kKeyOff, 0, 0);
                continue;
            }
            const Chord& ch = chords[size_t(i)];
            int interval = 0;
            if (c == '3') interval = ch.intervals.size() > 1 ? ch.intervals[1] : 0;
            if (c == '5') interval = 7;
            if (c == '7') interval = ch.intervals.size() > 3 ? ch.intervals[3] : 10;
            if (c == '8') interval = 12;
            if (c == 'b') interval = -2;  // a whole step below, leading back into the root
            const int note = 1 + v.octave * 12 + ch.root + interval;
            CheckNote(tune, l->second, note);
            Put(p, i, kBass, note, number(v.instrument), c == 'r' ? v.volume * 3 / 5 : v.volume);
        }
    }

    // Arpeggio: digit i is the chord's i-th tone, wrapping upwards an octave at a time.
    if (const auto* l = line("arp")) {
        const Voice v = voice("arp");
        const std::string steps = StepString(tune, s, "arp", l->first, l->second, "0123456789^.");
        for (int i = 0; i < rows; ++i) {
            const char c = steps[size_t(i)];
            if (c == '.') continue;
            if (c == '^') {
                Put(p, i, kArp, kKeyOff, 0, 0);
                continue;
            }
            const Chord& ch = chords[size_t(i)];
            const int k = c - '0';
            const int n = int(ch.intervals.size());
            const int note = 1 + v.octave * 12 + ch.root + ch.intervals[size_t(k % n)] + 12 * (k / n);
            CheckNote(tune, l->second, note);
            Put(p, i, kArp, note, number(v.instrument), v.volume);
        }
    }

    // Pad: the chord's first three tones (root, third and seventh for seventh chords), kept
    // within one octave band; "hold" strikes at each chord change.
    if (const auto* l = line("pad")) {
        const Voice v = voice("pad");
        std::string steps;
        if (l->first == "hold") {
            steps.assign(size_t(rows), '.');
            for (int i = 0; i < rows; ++i) {
                if (i == 0 || chords[size_t(i)].root != chords[size_t(i - 1)].root ||
                    chords[size_t(i)].intervals != chords[size_t(i - 1)].intervals)
                    steps[size_t(i)] = 'x';
            }
        } else {
            steps = StepString(tune, s, "pad", l->first, l->second, "x^.");
        }
        for (int i = 0; i < rows; ++i) {
            const char c = steps[size_t(i)];
            if (c == '.') continue;
            const Chord& ch = chords[size_t(i)];
            std::vector<int> tones = ch.intervals;
            if (tones.size() == 2) tones.push_back(12);
            if (tones.size() >= 4) tones = {tones[0], tones[1], tones[3]};
            const int base = 1 + v.octave * 12 + ch.root - (ch.root > 6 ? 12 : 0);
            for (int k = 0; k < 3; ++k) {
                const int channel = kPad1 + k;
                if (c == '^') {
                    Put(p, i, channel, kKeyOff, 0, 0);
                    continue;
                }
                const int note = base + tones[size_t(k)] % 24;
                CheckNote(tune, l->second, note);
                Put(p, i, channel, note, number(v.instrument), v.volume);
            }
        }
    }

    // Drums.
    const int middleC = 1 + 4 * 12;
    auto drums = [&](int channel, const char* role, const std::string& allowed) {
        const auto* l = line(role);
        if (!l) return;
        const Voice v = voice(role);
        const std::string steps = StepString(tune, s, role, l->first, l->second, allowed);
        for (int i = 0; i < rows; ++i) {
            const char c = steps[size_t(i)];
            if (c == '.') continue;
            std::string instrument = v.instrument;
            int note = middleC;
            int volume = v.volume;
            if (c == 'X' || c == 'C') volume = std::min(64, v.volume * 5 / 4);
            if (c == 'o' && channel != kHat) volume = v.volume / 2;
            if (c == 'o' && channel == kHat) instrument = KitPiece(tune.kit, "ohat");
            if (c == 't' || c == 'm' || c == 'l') {
                instrument = KitPiece(tune.kit, "tom");
                note = middleC + (c == 't' ? -3 : c == 'm' ? -8 : -15);
                volume = 50;
            }
            Put(p, i, channel, note, number(instrument), volume);
        }
    };
    drums(kKick, "kick", "xXo.");
    drums(kSnare, "snare", "xXo.");
    drums(kHat, "hat", "xXo.");
    drums(kPerc, "perc", "cCtml.");
    return p;
}

}  // namespace

CompiledMusic CompileScores(const std::vector<ScoreText>& scores, std::vector<XmInstrument> instruments) {
    if (scores.empty()) throw ScoreError("no scores to compile");
    for (XmInstrument& ins : instruments) (void)ins;
    std::vector<Tune> tunes;
    for (const ScoreText& s : scores) tunes.push_back(ParseTune(s, instruments));

    CompiledMusic out;
    XmModule& m = out.module;
    m.name = "Velmora 2";
    m.channels = kChannels;
    m.speed = tunes.size() > 1 ? tunes[1].speed : tunes[0].speed;
    m.bpm = tunes.size() > 1 ? tunes[1].bpm : tunes[0].bpm;

    // Patterns of every section, and the order each arrangement entry gets.
    struct Placed {
        size_t tune;
        size_t entry;
    };
    std::vector<Placed> layout;
    layout.push_back({0, 0});
    for (size_t t = 1; t < tunes.size(); ++t)
        for (size_t e = 0; e < tunes[t].arrangement.size(); ++e) layout.push_back({t, e});
    for (size_t e = 1; e < tunes[0].arrangement.size(); ++e) layout.push_back({0, e});
    if (layout.size() > 256) throw ScoreError("the scores need more than 256 orders");

    std::vector<std::vector<int>> orderOf(tunes.size());
    for (size_t t = 0; t < tunes.size(); ++t) orderOf[t].resize(tunes[t].arrangement.size());
    for (size_t o = 0; o < layout.size(); ++o) orderOf[layout[o].tune][layout[o].entry] = int(o);

    for (size_t t = 0; t < tunes.size(); ++t) {
        const Tune& tune = tunes[t];
        TuneInfo info;
        info.name = tune.name;
        info.file = tune.file;
        info.firstOrder = orderOf[t][0];
        info.orders = orderOf[t];
        if (tune.declaredOrder >= 0 && tune.declaredOrder != info.firstOrder)
            throw ScoreError(tune.file + ": the tune says it starts at order " + std::to_string(tune.declaredOrder) +
                             " but lands at order " + std::to_string(info.firstOrder));
        for (int sec : tune.arrangement)
            info.seconds += tune.sections[size_t(sec)].bars * kStepsPerBar * tune.speed * 2.5 / tune.bpm;
        out.tunes.push_back(info);
    }

    // One pattern per order, so each can carry its own jump.
    m.orders.resize(layout.size());
    for (size_t o = 0; o < layout.size(); ++o) {
        const Tune& tune = tunes[layout[o].tune];
        const Section& s = tune.sections[size_t(tune.arrangement[layout[o].entry])];
        XmPattern p = BuildPattern(tune, s, instruments);
        // Where this order goes next when the following order is not the tune's.
        const auto& orders = orderOf[layout[o].tune];
        const size_t e = layout[o].entry;
        int next = e + 1 < orders.size() ? orders[e + 1] : orders[0];
        if (next != int(o) + 1) {
            XmCell& c = p.At(p.rows - 1, kSnare);
            c.effect = 0x0B;
            c.param = uint8_t(next);
        }
        if (e + 1 == orders.size()) FadeIntoLoop(p);
        m.orders[o] = uint8_t(m.patterns.size());
        m.patterns.push_back(std::move(p));
    }
    m.instruments = std::move(instruments);
    return out;
}

}  // namespace vlm::forge::audio
