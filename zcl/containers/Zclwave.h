#pragma once
// A wave sound held as the whole image of a RIFF WAVE file in memory: streamed in forms as the binary property
// "Data", saved and loaded plain, with a length or packed, inspected for its format and played from memory.

#include <cstdint>
#include <memory>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Streams.h"
#include "zcl/core/Zclobject.h"

enum TZCLChannelMode : std::uint8_t { cmUnknown, cmMono, cmStereo };
enum TZCLWaveFormat : std::uint8_t { wfUnknown, wfPCM };
enum TZCLSndPlayMode : std::uint8_t { sdSync, sdAsync, sdLoop };

struct TZCLWaveInfo {
    std::int32_t RiffSize = 0;  // the size field that follows "RIFF"
    std::int32_t SampleRate = 0;
    TZCLChannelMode ChannelMode = cmUnknown;
    TZCLWaveFormat Format = wfUnknown;
    std::uint16_t Bits = 0;  // bits per sample
};

DRAVIK_EXCEPTION(EInvalidWave, Exception);
DRAVIK_EXCEPTION(EErrorCheckingWave, Exception);

class TZCLWave : public TZCLObject {
public:
    TZCLWave();
    explicit TZCLWave(const AnsiString& FileName);
    ~TZCLWave() override;

    bool GetEmpty() const;
    int GetSize() const;
    TZCLWaveInfo GetInfo() const;
    std::uint16_t GetBits() const { return GetInfo().Bits; }
    TZCLChannelMode GetChannelMode() const { return GetInfo().ChannelMode; }
    TZCLWaveFormat GetFormat() const { return GetInfo().Format; }
    std::int32_t GetSampleRate() const { return GetInfo().SampleRate; }
    // The data, or nullptr.
    TMemoryStream* Data() const { return data_.get(); }

    // Takes Stream (or none) as the data, stopping a sound first when there was data, and tells the change.
    void NewWave(std::unique_ptr<TMemoryStream> Stream);
    void FreeWave() { NewWave(nullptr); }
    // From a wave: a copy of its data; from nothing: freed.
    void Assign(TPersistent* Source) override;

    // Raise EInvalidWave, keeping the data, for anything that is not a RIFF WAVE image; no bytes free the wave.
    virtual void ReadData(TStream* Stream);  // extended form
    virtual void WriteData(TStream* Stream);
    virtual void LoadFromFile(const AnsiString& FileName);
    // Plain form: everything from the position to the end.
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToFile(const AnsiString& FileName);
    virtual void SaveToStream(TStream* Stream);
    // Extended form: int32 byte count, then the bytes.
    void LoadFromStreamEx(TStream* Stream) { ReadData(Stream); }
    void SaveToStreamEx(TStream* Stream) { WriteData(Stream); }
    // The plain form as one packed stream.
    void LoadCompressedFromStream(TStream* Stream);
    void SaveCompressedToStream(TStream* Stream);

    // Asynchronously; false for an empty wave, without a wave output device, or when the system refuses.
    bool Play();
    bool PlaySound(TZCLSndPlayMode Mode);
    // Stops the sound this wave started, when it is still the process's sound; another wave's plays on.
    void Stop();

    // The property "Data" in the extended form, stored whenever there is a data stream.
    void DefineProperties(TFiler* Filer) override;

private:
    // N bytes from Stream's position become the data when they are a wave; Name is the file they came from.
    void ReadBytes(TStream* Stream, int N, const AnsiString& Name);

    std::unique_ptr<TMemoryStream> data_;
};

// True when the system reports a wave output device.
bool ZCLMMWavePossible();
// Reads the RIFF header and the "fmt " chunk from the stream's position, which is given back afterwards.
bool ZCLGetWaveStreamInfo(TStream* Stream, TZCLWaveInfo& Info);
// False for a missing file.
bool ZCLGetWaveFileInfo(const AnsiString& FileName, TZCLWaveInfo& Info);
