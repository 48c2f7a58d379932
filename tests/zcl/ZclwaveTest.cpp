// Wave data: the header inspection, the plain, extended and packed forms, the form property "Data", files, and
// playing from memory (under Wine without a sound device the refusal is what runs).

#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "StoreTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "zcl/containers/Zclstreamutils.h"
#include "zcl/containers/Zclwave.h"

using namespace storetest;

namespace {

Bytes Le16(int v) { return {std::uint8_t(v), std::uint8_t(v >> 8)}; }

struct WaveSpec {
    WaveSpec(int tag_ = 1, int channels_ = 1, int rate_ = 8000, int bits_ = 8, int samples_ = 40, Bytes before_ = {})
        : tag(tag_), channels(channels_), rate(rate_), bits(bits_), samples(samples_), before(std::move(before_))
    {
    }
    int tag, channels, rate, bits, samples;
    Bytes before;  // chunks between "WAVE" and "fmt "
};

// A RIFF WAVE file image: header, optional chunks, the format chunk and a data chunk of a rising ramp.
Bytes MakeWave(const WaveSpec& w)
{
    const int align = w.channels * w.bits / 8;
    Bytes samples(std::size_t(w.samples * align));
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = std::uint8_t(i * 7);
    const Bytes fmt = Concat({Text("fmt "), Le32(16), Le16(w.tag), Le16(w.channels), Le32(w.rate),
                              Le32(w.rate * align), Le16(align), Le16(w.bits)});
    const Bytes data = Concat({Text("data"), Le32(int(samples.size())), samples});
    const Bytes body = Concat({Text("WAVE"), w.before, fmt, data});
    return Concat({Text("RIFF"), Le32(int(body.size())), body});
}

Bytes Chunk(const char* id, const Bytes& content)
{
    Bytes c = Concat({Text(id), Le32(int(content.size())), content});
    if (content.size() % 2) c.push_back(0);
    return c;
}

Bytes WaveBytes(const TZCLWave& w)
{
    return w.Data() ? StreamBytes(*w.Data()) : Bytes();
}

void LoadPlain(TZCLWave& w, const Bytes& b)
{
    GuardedStream s(b);
    w.LoadFromStream(&s);
}

}  // namespace

TEST(WaveInfo, FormatFieldsFromTheHeader)
{
    const struct {
        const char* what;
        WaveSpec spec;
        TZCLWaveFormat format;
        TZCLChannelMode mode;
        int rate;
        int bits;
    } cases[] = {
        {"PCM mono 8000 Hz 8 bit", {}, wfPCM, cmMono, 8000, 8},
        {"PCM stereo 44100 Hz 16 bit", {1, 2, 44100, 16}, wfPCM, cmStereo, 44100, 16},
        {"float", {3, 1, 48000, 32}, wfUnknown, cmMono, 48000, 32},
        {"six channels", {1, 6, 22050, 8}, wfPCM, cmUnknown, 22050, 8},
        {"a list and a padded chunk before the format",
         {1, 2, 11025, 8, 10, Concat({Chunk("LIST", Text("INFOabc")), Chunk("JUNK", Bytes(5, 0))})},
         wfPCM, cmStereo, 11025, 8},
    };
    for (const auto& c : cases) {
        const Bytes image = MakeWave(c.spec);
        TMemoryStream s;
        s.WriteBuffer("12345", 5);
        s.WriteBuffer(image.data(), int(image.size()));
        s.SetPosition(5);
        TZCLWaveInfo info;
        ASSERT_TRUE(ZCLGetWaveStreamInfo(&s, info)) << c.what;
        EXPECT_EQ(s.Position(), 5) << c.what;
        EXPECT_EQ(info.RiffSize, int(image.size()) - 8) << c.what;
        EXPECT_EQ(info.Format, c.format) << c.what;
        EXPECT_EQ(info.ChannelMode, c.mode) << c.what;
        EXPECT_EQ(info.SampleRate, c.rate) << c.what;
        EXPECT_EQ(info.Bits, c.bits) << c.what;

        TZCLWave w;
        LoadPlain(w, image);
        EXPECT_EQ(w.GetBits(), c.bits) << c.what;
        EXPECT_EQ(w.GetSampleRate(), c.rate) << c.what;
        EXPECT_EQ(w.GetChannelMode(), c.mode) << c.what;
        EXPECT_EQ(w.GetFormat(), c.format) << c.what;
        EXPECT_EQ(w.GetSize(), int(image.size()));
    }
}

TEST(WaveInfo, WhatIsNoWave)
{
    const Bytes good = MakeWave({});
    Bytes riffx = good;
    riffx[3] = 'X';
    Bytes avi = good;
    std::memcpy(avi.data() + 8, "AVI ", 4);
    Bytes shortFmt = good;
    shortFmt[16] = 12;  // a format chunk too small to hold the fields
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"nothing", {}},
        {"RIFX", riffx},
        {"AVI", avi},
        {"format chunk of 12 bytes", shortFmt},
        {"header only", Bytes(good.begin(), good.begin() + 12)},
        {"chunk larger than the file", Concat({Text("RIFF"), Le32(100), Text("WAVE"), Text("LIST"), Le32(1000000)})},
        {"format chunk cut short", Bytes(good.begin(), good.begin() + 30)},
    };
    for (const auto& c : cases) {
        GuardedStream s(c.bytes);
        TZCLWaveInfo info;
        info.SampleRate = 99;
        EXPECT_FALSE(ZCLGetWaveStreamInfo(&s, info)) << c.what;
        EXPECT_EQ(info.SampleRate, 0) << c.what;
        EXPECT_EQ(s.Position(), 0) << c.what;
    }
    TZCLWave empty;
    EXPECT_TRUE(empty.GetEmpty());
    EXPECT_EQ(empty.GetBits(), 0);
    EXPECT_EQ(empty.GetSampleRate(), 0);
    EXPECT_EQ(empty.GetSize(), 0);
}

TEST(WaveStreams, StoredForms)
{
    const Bytes image = MakeWave({});
    TZCLWave w;
    EXPECT_EQ(Written([&](TStream* s) { w.SaveToStreamEx(s); }), Le32(0));
    EXPECT_EQ(Written([&](TStream* s) { w.SaveToStream(s); }), Bytes());
    LoadPlain(w, image);
    EXPECT_EQ(WaveBytes(w), image);
    EXPECT_EQ(Written([&](TStream* s) { w.SaveToStream(s); }), image);
    EXPECT_EQ(Written([&](TStream* s) { w.SaveToStreamEx(s); }), Concat({Le32(int(image.size())), image}));
    EXPECT_EQ(Written([&](TStream* s) { stWriteWave(s, &w, false); }), Concat({Le32(int(image.size())), image}));
    // Packed: one packed stream of the plain form.
    const Bytes packed = Written([&](TStream* s) { w.SaveCompressedToStream(s); });
    GuardedStream ps(packed);
    EXPECT_EQ(Written([&](TStream* d) { LoadCompressedStream(&ps, d); }), image);
    EXPECT_EQ(Written([&](TStream* s) { stWriteWave(s, &w, true); }), packed);
}

TEST(WaveStreams, RoundTripsAndFreeing)
{
    const Bytes image = MakeWave({1, 2, 22050, 16, 300});
    for (bool compressed : {false, true}) {
        TZCLWave w;
        LoadPlain(w, image);
        TMemoryStream s;
        stWriteWave(&s, &w, compressed);
        stWriteByte(&s, 0x77);
        s.SetPosition(0);
        TZCLWave back;
        stReadWave(&s, &back, compressed);
        EXPECT_EQ(stReadByte(&s), 0x77);
        EXPECT_EQ(WaveBytes(back), image) << compressed;
        EXPECT_EQ(back.Data()->Position(), 0);

        // An empty wave stored and read back frees the one read into.
        TZCLWave empty;
        TMemoryStream e;
        stWriteWave(&e, &empty, compressed);
        e.SetPosition(0);
        stReadWave(&e, &back, compressed);
        EXPECT_TRUE(back.GetEmpty()) << compressed;
        EXPECT_EQ(back.Data(), nullptr);
    }
}

TEST(WaveStreams, InvalidDataIsRefusedAndTheWaveKept)
{
    const Bytes image = MakeWave({});
    TZCLWave w;
    LoadPlain(w, image);
    int changes = 0;
    w.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    try {
        LoadPlain(w, Text("this is no wave at all"));
        ADD_FAILURE() << "loaded";
    } catch (const EInvalidWave& e) {
        EXPECT_EQ(e.Message(), "TZCLWave: Cannot open file");
    }
    TempFile f("zwv");
    f.Write(Text("RIFF....JUNK"));
    try {
        w.LoadFromFile(AnsiString(f.name()));
        ADD_FAILURE() << "loaded";
    } catch (const EInvalidWave& e) {
        EXPECT_EQ(e.Message(), AnsiString("TZCLWave: Cannot open file " + f.name()));
    }
    GuardedStream ex(Concat({Le32(1000), image}));
    EXPECT_THROW(w.LoadFromStreamEx(&ex), EReadError);
    GuardedStream neg(Le32(-1));
    EXPECT_THROW(w.LoadFromStreamEx(&neg), EReadError);
    EXPECT_EQ(WaveBytes(w), image);
    EXPECT_EQ(changes, 0);
}

TEST(WaveStreams, DamagedStoredWavesAreRefused)
{
    TZCLWave w;
    LoadPlain(w, MakeWave({1, 1, 8000, 8, 200, Chunk("LIST", Text("INFOxyz"))}));
    for (bool compressed : {false, true}) {
        const Bytes good = Written([&](TStream* s) { stWriteWave(s, &w, compressed); });
        const int refused = ReadEachDamaged(Damaged(good, 7 + compressed), [&](TStream* s) {
            TZCLWave back;
            stReadWave(s, &back, compressed);
            // What is read is a wave whose header walks to its format.
            if (!back.GetEmpty()) {
                TZCLWaveInfo info;
                EXPECT_TRUE(ZCLGetWaveStreamInfo(back.Data(), info));
            }
        });
        EXPECT_GT(refused, int(good.size()) - 1);
    }
}

TEST(WaveFiles, SaveLoadAndInfo)
{
    const Bytes image = MakeWave({1, 2, 16000, 16, 50});
    TZCLWave w;
    LoadPlain(w, image);
    TempFile f("zwv");
    w.SaveToFile(AnsiString(f.name()));
    EXPECT_EQ(f.Read(), image);
    TZCLWave fromFile{AnsiString(f.name())};
    EXPECT_EQ(WaveBytes(fromFile), image);
    TZCLWaveInfo info;
    EXPECT_TRUE(ZCLGetWaveFileInfo(AnsiString(f.name()), info));
    EXPECT_EQ(info.SampleRate, 16000);
    EXPECT_EQ(info.Bits, 16);
    EXPECT_FALSE(ZCLGetWaveFileInfo(AnsiString(f.name() + ".missing"), info));
    // An empty file frees the wave.
    f.Write({});
    fromFile.LoadFromFile(AnsiString(f.name()));
    EXPECT_TRUE(fromFile.GetEmpty());
}

TEST(WaveObject, AssignCopiesAndNothingFrees)
{
    const Bytes image = MakeWave({});
    TZCLWave a, b;
    LoadPlain(a, image);
    int changes = 0;
    b.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    b.Assign(&a);
    EXPECT_EQ(WaveBytes(b), image);
    EXPECT_NE(b.Data(), a.Data());
    EXPECT_EQ(a.Data()->Position(), 0);
    EXPECT_EQ(b.Data()->Position(), 0);
    EXPECT_EQ(changes, 1);
    b.Assign(nullptr);
    EXPECT_TRUE(b.GetEmpty());
    EXPECT_EQ(changes, 2);
    TStringList other;
    EXPECT_THROW(b.Assign(&other), EConvertError);
}

TEST(WaveObject, DataPropertyThroughTheFiler)
{
    const Bytes image = MakeWave({1, 1, 8000, 8, 12});
    TZCLWave w;
    LoadPlain(w, image);
    TMemoryStream s;
    {
        TWriter writer(&s);
        writer.WriteProperties(&w);
    }
    const Bytes stored = StreamBytes(s);
    // The property's bytes are the extended form.
    const Bytes ext = Concat({Le32(int(image.size())), image});
    EXPECT_NE(std::search(stored.begin(), stored.end(), ext.begin(), ext.end()), stored.end());
    s.SetPosition(0);
    TZCLWave back;
    TReader reader(&s);
    reader.ReadProperty(&back);
    EXPECT_EQ(WaveBytes(back), image);

    // No data stream: nothing stored.
    TZCLWave empty;
    EXPECT_EQ(Written([&](TStream* st) {
                  TWriter writer(st);
                  writer.WriteProperties(&empty);
              }),
              Bytes());
}

TEST(WavePlaying, RefusedWithoutDataOrDeviceAndNeverCrashes)
{
    TZCLWave empty;
    EXPECT_FALSE(empty.Play());
    EXPECT_FALSE(empty.PlaySound(sdSync));
    TZCLWave w;
    LoadPlain(w, MakeWave({1, 1, 8000, 8, 80}));
    if (!ZCLMMWavePossible()) {
        EXPECT_FALSE(w.Play());
        EXPECT_FALSE(w.PlaySound(sdSync));
        EXPECT_FALSE(w.PlaySound(sdLoop));
    } else {
        // With a device the system's answer is handed on; the data stays valid until the sound is stopped.
        const bool sync = w.PlaySound(sdSync);
        const bool loop = w.PlaySound(sdLoop);
        w.Stop();
        RecordProperty("played", std::string(sync ? "sync " : "") + (loop ? "loop" : ""));
    }
    w.FreeWave();
    EXPECT_FALSE(w.Play());
}

// Stopping, freeing, replacing or destroying one wave leaves the sound of another playing; its own wave stops it.
// Whether the process has a sound is asked of the system: a sound that must not stop another is refused while
// one plays. A looping sound plays until it is stopped.
TEST(WavePlaying, AWaveStopsOnlyItsOwnSound)
{
    if (!ZCLMMWavePossible()) GTEST_SKIP() << "no wave output device";
    const Bytes probe = MakeWave({1, 1, 8000, 8, 8000});
    auto soundPlaying = [&] {
        if (!::PlaySoundA(reinterpret_cast<LPCSTR>(probe.data()), nullptr,
                          SND_MEMORY | SND_NODEFAULT | SND_ASYNC | SND_NOSTOP))
            return true;
        ::PlaySoundA(nullptr, nullptr, 0);  // the probe played: end it again
        return false;
    };
    TZCLWave playing, other, third;
    LoadPlain(playing, MakeWave({1, 1, 8000, 8, 8000}));
    LoadPlain(other, MakeWave({1, 1, 8000, 8, 400}));
    LoadPlain(third, MakeWave({1, 1, 11025, 8, 400}));
    ASSERT_TRUE(other.PlaySound(sdSync)) << "the other wave has played, and is over";
    const struct {
        const char* what;
        std::function<void()> act;
    } acts[] = {
        {"stopped", [&] { other.Stop(); }},
        {"replaced", [&] { other.Assign(&third); }},
        {"given new data", [&] { other.NewWave(std::make_unique<TMemoryStream>()); }},
        {"freed", [&] { other.FreeWave(); }},
        {"destroyed",
         [&] {
             TZCLWave gone;
             LoadPlain(gone, MakeWave({}));
         }},
    };
    for (const auto& a : acts) {
        ASSERT_TRUE(playing.PlaySound(sdLoop));
        a.act();
        EXPECT_TRUE(soundPlaying()) << "another wave " << a.what;
    }
    playing.Stop();
    EXPECT_FALSE(soundPlaying()) << "its own wave stopped it";

    // A sound that replaced the wave's own is no longer the wave's to stop.
    ASSERT_TRUE(playing.PlaySound(sdLoop));
    ASSERT_TRUE(third.PlaySound(sdLoop));
    playing.FreeWave();
    EXPECT_TRUE(soundPlaying()) << "the third wave's sound plays on";
    third.Stop();
    EXPECT_FALSE(soundPlaying());
}
