#include "zcl/containers/Zclwave.h"

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <cstring>

#include "framework/runtime/Filer.h"
#include "zcl/containers/Zclstreamutils.h"

namespace {

// The wave whose data the system may still be playing. The system plays one sound of the process at a time, so
// each new sound replaces the one before; a wave stops the sound only while it is its own.
std::atomic<const TZCLWave*> soundOwner{nullptr};

std::uint16_t U16(const unsigned char* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t U32(const unsigned char* p) { return std::uint32_t(U16(p)) | std::uint32_t(U16(p + 2)) << 16; }

// The name of the file a stream reads, empty for other streams.
AnsiString SourceName(TStream* Stream)
{
    const auto file = dynamic_cast<TFileStream*>(Stream);
    return file ? file->FileName() : AnsiString();
}

}  // namespace

TZCLWave::TZCLWave() = default;

TZCLWave::TZCLWave(const AnsiString& FileName) { LoadFromFile(FileName); }

TZCLWave::~TZCLWave()
{
    // The system may still be reading the data of an asynchronous sound.
    if (data_) Stop();
}

bool TZCLWave::GetEmpty() const { return !data_ || data_->Size() == 0; }

int TZCLWave::GetSize() const { return data_ ? data_->Size() : 0; }

TZCLWaveInfo TZCLWave::GetInfo() const
{
    TZCLWaveInfo info;
    if (!GetEmpty()) ZCLGetWaveStreamInfo(data_.get(), info);
    return info;
}

void TZCLWave::NewWave(std::unique_ptr<TMemoryStream> Stream)
{
    if (data_) Stop();
    data_ = std::move(Stream);
    if (data_) data_->SetPosition(0);
    Change();
}

void TZCLWave::Assign(TPersistent* Source)
{
    if (const auto wave = dynamic_cast<TZCLWave*>(Source)) {
        if (!wave->data_) {
            FreeWave();
            return;
        }
        auto copy = std::make_unique<TMemoryStream>();
        wave->data_->SaveToStream(copy.get());
        wave->data_->SetPosition(0);
        NewWave(std::move(copy));
    } else if (!Source) {
        FreeWave();
    } else {
        TZCLObject::Assign(Source);
    }
}

void TZCLWave::ReadBytes(TStream* Stream, int N, const AnsiString& Name)
{
    if (N <= 0) {
        FreeWave();
        return;
    }
    auto data = std::make_unique<TMemoryStream>();
    data->SetSize(N);
    Stream->ReadBuffer(data->Memory(), N);
    data->SetPosition(0);
    TZCLWaveInfo info;
    if (!ZCLGetWaveStreamInfo(data.get(), info))
        throw EInvalidWave(ClassName() + ": " + ("Cannot open file " + Name).TrimRight());
    NewWave(std::move(data));
}

void TZCLWave::ReadData(TStream* Stream)
{
    const std::int32_t n = stReadInteger(Stream);
    if (n < 0 || n > Stream->Size() - Stream->Position()) throw EReadError("Stream read error");
    ReadBytes(Stream, n, SourceName(Stream));
}

void TZCLWave::WriteData(TStream* Stream)
{
    stWriteInteger(Stream, GetSize());
    SaveToStream(Stream);
}

void TZCLWave::LoadFromFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    ReadBytes(&file, file.Size(), FileName);
}

void TZCLWave::LoadFromStream(TStream* Stream)
{
    ReadBytes(Stream, Stream->Size() - Stream->Position(), SourceName(Stream));
}

void TZCLWave::SaveToFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmCreate);
    SaveToStream(&file);
}

void TZCLWave::SaveToStream(TStream* Stream)
{
    if (!data_ || data_->Size() == 0) return;
    data_->SaveToStream(Stream);
    data_->SetPosition(0);
}

void TZCLWave::LoadCompressedFromStream(TStream* Stream)
{
    TMemoryStream plain;
    LoadCompressedStream(Stream, &plain);
    plain.SetPosition(0);
    ReadBytes(&plain, plain.Size(), SourceName(Stream));
}

void TZCLWave::SaveCompressedToStream(TStream* Stream)
{
    TMemoryStream plain;
    SaveToStream(&plain);
    plain.SetPosition(0);
    SaveCompressedStream(&plain, Stream, plain.Size());
}

bool TZCLWave::Play() { return PlaySound(sdAsync); }

bool TZCLWave::PlaySound(TZCLSndPlayMode Mode)
{
    if (GetEmpty() || !ZCLMMWavePossible()) return false;
    DWORD flags = SND_MEMORY | SND_NODEFAULT;
    if (Mode == sdAsync) flags |= SND_ASYNC;
    if (Mode == sdLoop) flags |= SND_ASYNC | SND_LOOP;
    const bool played = ::PlaySoundA(static_cast<LPCSTR>(data_->Memory()), nullptr, flags) != FALSE;
    // A synchronous sound is over on return; whatever played before was stopped either way.
    soundOwner = played && Mode != sdSync ? this : nullptr;
    return played;
}

void TZCLWave::Stop()
{
    const TZCLWave* self = this;
    if (soundOwner.compare_exchange_strong(self, nullptr)) ::PlaySoundA(nullptr, nullptr, 0);
}

void TZCLWave::DefineProperties(TFiler* Filer)
{
    TZCLObject::DefineProperties(Filer);
    Filer->DefineBinaryProperty("Data", TStreamProc(this, &TZCLWave::ReadData),
                                TStreamProc(this, &TZCLWave::WriteData), data_ != nullptr);
}

// ---------------------------------------------------------------------------------------------------------------

bool ZCLMMWavePossible() { return waveOutGetNumDevs() > 0; }

bool ZCLGetWaveStreamInfo(TStream* Stream, TZCLWaveInfo& Info)
{
    Info = TZCLWaveInfo();
    if (Stream->Size() == 0) return false;
    const int start = Stream->Position();
    const int end = Stream->Size();
    auto read = [&](unsigned char* p, int n) { return Stream->Read(p, n) == n; };
    TZCLWaveInfo info;
    bool found = false;
    unsigned char h[12];
    if (read(h, 12) && std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WAVE", 4) == 0) {
        info.RiffSize = std::int32_t(U32(h + 4));
        // Chunks before "fmt " (lists, padding) are stepped over; odd sizes are padded to even.
        unsigned char c[8];
        while (read(c, 8)) {
            const std::uint32_t size = U32(c + 4);
            if (std::memcmp(c, "fmt ", 4) == 0) {
                unsigned char f[16];
                if (size >= 16 && read(f, 16)) {
                    info.Format = U16(f) == 1 ? wfPCM : wfUnknown;
                    const std::uint16_t channels = U16(f + 2);
                    info.ChannelMode = channels == 1 ? cmMono : channels == 2 ? cmStereo : cmUnknown;
                    info.SampleRate = std::int32_t(U32(f + 4));
                    info.Bits = U16(f + 14);
                    found = true;
                }
                break;
            }
            const long long next = (long long)Stream->Position() + size + (size & 1);
            if (next > end) break;
            Stream->SetPosition(int(next));
        }
    }
    Stream->SetPosition(start);
    if (found) Info = info;
    return found;
}

bool ZCLGetWaveFileInfo(const AnsiString& FileName, TZCLWaveInfo& Info)
{
    Info = TZCLWaveInfo();
    std::unique_ptr<TFileStream> file;
    try {
        file = std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
    } catch (const EFOpenError&) {
        return false;
    }
    return ZCLGetWaveStreamInfo(file.get(), Info);
}
