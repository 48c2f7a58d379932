#include "TerminalStandIn.h"


namespace {

void PutWord(std::string& s, WORD value)
{
    s += char(value >> 8);
    s += char(value & 0xFF);
}

}  // namespace

WORD TerminalStandIn::Sum(BYTE command, BYTE length, const std::string& data)
{
    unsigned sum = unsigned(command) + unsigned(length);
    for (char c : data) sum += BYTE(c);
    return WORD(sum);
}

std::string TerminalStandIn::FrameWithSum(BYTE command, const std::string& data, WORD sum)
{
    std::string f;
    f += char(0x02);
    f += char(command);
    f += char(BYTE(data.size() + 2));
    f += data;
    PutWord(f, sum);
    return f;
}

std::string TerminalStandIn::Frame(BYTE command, const std::string& data)
{
    return FrameWithSum(command, data, Sum(command, BYTE(data.size() + 2), data));
}

std::string TerminalStandIn::Acknowledge(BYTE value, BYTE command)
{
    return Frame(command, std::string(1, char(value)));
}

std::string TerminalStandIn::StatusReply(BYTE code)
{
    return Frame(0x03, std::string(1, char(code)));
}

std::string TerminalStandIn::TransferNumber(BYTE number)
{
    return Frame(0x04, std::string(1, char(number)));
}

std::string TerminalStandIn::Pointer(WORD x, WORD y, BYTE buttons)
{
    std::string data;
    PutWord(data, x);
    PutWord(data, y);
    data += char(buttons);
    return Frame(0x10, data);
}

std::string TerminalStandIn::KeyBitmap(const std::array<WORD, 4>& words)
{
    std::string data;
    for (WORD w : words) PutWord(data, w);
    return Frame(0x11, data);
}

std::string TerminalStandIn::WrongSum(const std::string& frame)
{
    std::string f = frame;
    if (!f.empty()) f.back() = char(BYTE(f.back()) ^ 0x5A);
    return f;
}

std::string TerminalStandIn::UnknownCommand(BYTE command, const std::string& data)
{
    return Frame(command, data);
}

std::string TerminalStandIn::ShortBody(BYTE command, const std::string& data, BYTE length)
{
    std::string f = Frame(command, data);
    f[2] = char(length);
    return f;
}

std::string TerminalStandIn::Garbage(size_t count, std::mt19937& random, bool clean)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::string g;
    g.reserve(count);
    while (g.size() < count) {
        const char c = char(byte(random));
        if (clean && c == 0x02) continue;
        g += c;
    }
    return g;
}

TerminalStandIn::~TerminalStandIn()
{
    Finish();
}

bool TerminalStandIn::Open(const char* portName, DWORD baudRate)
{
    return port_.Open(portName, baudRate);
}

bool TerminalStandIn::SendByteByByte(const std::string& bytes, DWORD pauseMs)
{
    for (char c : bytes) {
        if (!port_.Write(&c, 1)) return false;
        if (pauseMs) Sleep(pauseMs);
    }
    return true;
}

bool TerminalStandIn::Press(TerminalKey key)
{
    keys_[size_t(key.word)] = WORD(keys_[size_t(key.word)] | (1u << key.bit));
    return Send(KeyFrame());
}

bool TerminalStandIn::Release(TerminalKey key)
{
    keys_[size_t(key.word)] = WORD(keys_[size_t(key.word)] & ~(1u << key.bit));
    return Send(KeyFrame());
}

bool TerminalStandIn::ReleaseAll()
{
    keys_ = {};
    return Send(KeyFrame());
}

TerminalStandIn& TerminalStandIn::Then(const std::string& bytes, DWORD delayMs)
{
    script_.push_back({bytes, delayMs});
    return *this;
}

void TerminalStandIn::Play()
{
    Finish();
    played_ = false;
    std::vector<Step> steps;
    steps.swap(script_);
    player_ = std::thread([this, steps = std::move(steps)] {
        bool ok = true;
        try {
            for (const Step& step : steps) {
                if (step.delayMs) Sleep(step.delayMs);
                if (!port_.Write(step.bytes)) ok = false;
            }
        } catch (...) {
            ok = false;
        }
        played_ = ok;
    });
}

bool TerminalStandIn::Finish()
{
    if (player_.joinable()) player_.join();
    return played_;
}
