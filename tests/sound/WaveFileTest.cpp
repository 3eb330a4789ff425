#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sound/WaveFile.h"

namespace vlm::sound {
namespace {

// Builds a RIFF/WAVE file by hand so each field can be broken on purpose.
struct WavBuilder {
    uint16_t format = 1, channels = 1, bits = 16, blockAlign = 0;
    uint32_t rate = 44100;
    std::vector<uint8_t> data;
    std::vector<uint8_t> extraChunk;  // goes before "data"
    bool withFmt = true, withData = true;

    static void Put32(std::vector<uint8_t>& v, uint32_t x) {
        for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
    }
    static void Put16(std::vector<uint8_t>& v, uint16_t x) {
        v.push_back(uint8_t(x));
        v.push_back(uint8_t(x >> 8));
    }
    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
        if (withFmt) {
            body.insert(body.end(), {'f', 'm', 't', ' '});
            Put32(body, 16);
            Put16(body, format);
            Put16(body, channels);
            Put32(body, rate);
            Put32(body, rate * channels * bits / 8);
            Put16(body, blockAlign ? blockAlign : uint16_t(channels * bits / 8));
            Put16(body, bits);
        }
        body.insert(body.end(), extraChunk.begin(), extraChunk.end());
        if (withData) {
            body.insert(body.end(), {'d', 'a', 't', 'a'});
            Put32(body, uint32_t(data.size()));
            body.insert(body.end(), data.begin(), data.end());
        }
        std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
        Put32(file, uint32_t(body.size()));
        file.insert(file.end(), body.begin(), body.end());
        return file;
    }
};

TEST(WaveFile, DecodesEverySampleFormat) {
    struct Case {
        const char* what;
        uint16_t format, bits, channels;
        std::vector<uint8_t> data;
        std::vector<float> expected;
    };
    float half = 0.5f;
    std::vector<uint8_t> floatBytes(4);
    std::memcpy(floatBytes.data(), &half, 4);
    const Case cases[] = {
        {"8-bit is unsigned around 128", 1, 8, 1, {128, 255, 0}, {0.0f, 127 / 128.0f, -1.0f}},
        {"16-bit signed", 1, 16, 1, {0x00, 0x40, 0x00, 0x80}, {0.5f, -1.0f}},
        {"24-bit signed", 1, 24, 1, {0x00, 0x00, 0xC0}, {-0.5f}},
        {"32-bit float", 3, 32, 1, floatBytes, {0.5f}},
        {"stereo 16-bit keeps channel order", 1, 16, 2, {0x00, 0x40, 0x00, 0xC0}, {0.5f, -0.5f}},
    };
    for (const Case& c : cases) {
        WavBuilder b;
        b.format = c.format;
        b.bits = c.bits;
        b.channels = c.channels;
        b.data = c.data;
        Wave w;
        std::string error;
        ASSERT_TRUE(DecodeWave(b.Build(), w, error)) << c.what << ": " << error;
        EXPECT_EQ(w.channels, c.channels) << c.what;
        ASSERT_EQ(w.samples.size(), c.expected.size()) << c.what;
        for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_NEAR(w.samples[i], c.expected[i], 1e-6) << c.what;
    }
}

TEST(WaveFile, SkipsOddSizedChunksWithTheirPadByte) {
    WavBuilder b;
    b.extraChunk = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    b.data = {0x00, 0x40};
    Wave w;
    std::string error;
    ASSERT_TRUE(DecodeWave(b.Build(), w, error)) << error;
    ASSERT_EQ(w.samples.size(), 1u);
    EXPECT_FLOAT_EQ(w.samples[0], 0.5f);
}

TEST(WaveFile, RejectsBrokenFilesWithAReason) {
    struct Case {
        const char* what;
        std::function<void(WavBuilder&)> breakIt;
        const char* reason;
    };
    const Case cases[] = {
        {"no fmt", [](WavBuilder& b) { b.withFmt = false; }, "no 'fmt ' chunk"},
        {"no data", [](WavBuilder& b) { b.withData = false; }, "no 'data' chunk"},
        {"compressed", [](WavBuilder& b) { b.format = 2; }, "unsupported sample format"},
        {"12 bits", [](WavBuilder& b) { b.bits = 12; }, "unsupported sample format"},
        {"three channels", [](WavBuilder& b) { b.channels = 3; }, "unsupported channel count"},
        {"no channels", [](WavBuilder& b) { b.channels = 0; }, "unsupported channel count"},
        {"rate zero", [](WavBuilder& b) { b.rate = 0; }, "unsupported sample rate"},
        {"wrong block align", [](WavBuilder& b) { b.blockAlign = 7; }, "inconsistent block alignment"},
    };
    for (const Case& c : cases) {
        WavBuilder b;
        b.data = {1, 2, 3, 4};
        c.breakIt(b);
        Wave w;
        std::string error;
        EXPECT_FALSE(DecodeWave(b.Build(), w, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
}

TEST(WaveFile, SurvivesEveryTruncation) {
    WavBuilder b;
    b.data.assign(64, 0x11);
    const std::vector<uint8_t> full = b.Build();
    for (size_t n = 0; n < full.size(); ++n) {
        Wave w;
        std::string error;
        // A cut inside the data keeps the whole frames before the cut; anything shorter fails cleanly.
        if (DecodeWave(std::span(full.data(), n), w, error)) {
            EXPECT_LE(w.samples.size(), 32u);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(WaveFile, EncodedWavesDecodeToTheSameSamples) {
    Wave in;
    in.channels = 2;
    in.sampleRate = 22050;
    in.samples = {0.0f, 0.25f, -0.25f, 0.99f, -1.0f, 0.5f};
    Wave out;
    std::string error;
    ASSERT_TRUE(DecodeWave(EncodeWave16(in), out, error)) << error;
    EXPECT_EQ(out.sampleRate, 22050u);
    EXPECT_EQ(out.channels, 2);
    ASSERT_EQ(out.samples.size(), in.samples.size());
    for (size_t i = 0; i < in.samples.size(); ++i) EXPECT_NEAR(out.samples[i], in.samples[i], 1.0 / 32767);
}

}  // namespace
}  // namespace vlm::sound
