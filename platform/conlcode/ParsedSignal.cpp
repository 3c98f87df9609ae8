#include "ParsedSignal.h"

#include <map>

namespace
{
int byteAt(long long value, int index)
{
    return static_cast<int>(value >> (8 * index) & 0xFF);
}

int nibbleParity(int value)
{
    return (value >> 4 ^ value) & 0xF;
}

std::optional<ParsedSignal::Irp> fail(std::string &why, std::string text)
{
    why = std::move(text);
    return std::nullopt;
}

// The recorder's Kaseikyo address holds the maker (bits 8-23), the IRP's D
// (bits 4-7), the low nibble of S (bits 0-3) and the top two bits of F (bits
// 24-25); its 10-bit command the high nibble of S and the rest of F. Its last
// byte is the exclusive or of bytes 2 to 4, whose low nibble is E. Makers
// with a protocol of their own in the Kaseikyo family: Panasonic (2, 32),
// Denon-K (84, 50) and JVC-48 (3, 1), each with that same check byte, and
// SharpDVD (170, 90), whose check is Kaseikyo's.
std::optional<ParsedSignal::Irp> kaseikyo(long long address, long long command, std::string &why)
{
    if (address < 0 || address > 0x03FFFFFF || command < 0 || command > 0x3FF) {
        return fail(why, "Kaseikyo address or command out of range");
    }
    const int m = byteAt(address, 1);
    const int n = byteAt(address, 2);
    const int d = static_cast<int>(address >> 4 & 0xF);
    const int s = static_cast<int>((address & 0xF) | (command & 0xF) << 4);
    const int f = static_cast<int>((command >> 4 & 0x3F) | (address >> 24 & 3) << 6);
    const int byte2 = nibbleParity(m ^ n) | d << 4;
    const int e = (byte2 ^ s ^ f) & 0xF;
    if (m == 2 && n == 32) {
        return ParsedSignal::Irp{"Panasonic", {{"D", byte2}, {"S", s}, {"F", f}}};
    }
    if (m == 3 && n == 1) {
        return ParsedSignal::Irp{"JVC-48", {{"D", byte2}, {"S", s}, {"F", f}}};
    }
    // Denon-K: byte 2 is 0:4,D:4; bytes 3 and 4 are S:4,F:12.
    if (m == 84 && n == 50) {
        return ParsedSignal::Irp{"Denon-K", {{"D", d}, {"S", s & 0xF}, {"F", s >> 4 | f << 4}}};
    }
    if (m == 170 && n == 90) {
        return ParsedSignal::Irp{"SharpDVD", {{"D", d}, {"S", s}, {"F", f}, {"E", e}}};
    }
    return ParsedSignal::Irp{"Kaseikyo", {{"D", d}, {"S", s}, {"F", f}, {"E", e}, {"M", m}, {"N", n}}};
}

// The recorder's Kaseikyo address and command of an IRP code, as kaseikyo() takes them apart.
ParsedSignal::Recorder kaseikyoRecorder(int m, int n, int d, int s, int f)
{
    return {"Kaseikyo", (s & 0xF) | (d & 0xF) << 4 | m << 8 | n << 16 | static_cast<long long>(f >> 6 & 3) << 24,
            (s >> 4 & 0xF) | (f & 0x3F) << 4};
}

std::map<std::string, int, std::less<>> byName(const ProtocolCodec::Fields &fields)
{
    return {fields.begin(), fields.end()};
}
}  // namespace

std::optional<ParsedSignal::Irp> ParsedSignal::irpOf(std::string_view protocol, long long address, long long command,
                                                     std::string &why)
{
    const auto fits = [](long long value, long long most) { return value >= 0 && value <= most; };
    if (protocol == "NEC" || protocol == "NECext" || protocol == "Pioneer") {
        const bool ext = protocol == "NECext";
        if (!fits(address, ext ? 0xFFFF : 0xFF) || !fits(command, ext ? 0xFFFF : 0xFF)) {
            return fail(why, std::string(protocol) + " address or command out of range");
        }
        const int d = byteAt(address, 0);
        const int s = ext ? byteAt(address, 1) : 255 - d;
        const int f = byteAt(command, 0);
        const int e = ext && command > 0xFF ? byteAt(command, 1) : 255 - f;
        const std::string name = protocol == "Pioneer" ? "Pioneer" : e == 255 - f ? "NEC1" : "NEC1-f16";
        return Irp{name, {{"D", d}, {"S", s}, {"F", f}, {"E", e}}};
    }
    if (protocol == "NEC42") {
        if (!fits(address, 0x1FFF) || !fits(command, 0xFF)) {
            return fail(why, "NEC42 address or command out of range");
        }
        return Irp{"NEC42", {{"D", static_cast<int>(address)}, {"F", static_cast<int>(command)}}};
    }
    if (protocol == "Samsung32") {
        if (!fits(address, 0xFF) || !fits(command, 0xFF)) {
            return fail(why, "Samsung32 address or command out of range");
        }
        const int f = static_cast<int>(command);
        return Irp{"NECx1",
                   {{"D", static_cast<int>(address)}, {"S", static_cast<int>(address)}, {"F", f}, {"E", 255 - f}}};
    }
    if (protocol == "RC5" || protocol == "RC5X") {
        // The recorder's RC5X is RC5 with F's bit 6 set (the second start bit 0).
        const long long f = protocol == "RC5X" ? command + 64 : command;
        if (!fits(address, 31) || !fits(f, 127) || (protocol == "RC5" && command > 63)) {
            return fail(why, std::string(protocol) + " address or command out of range");
        }
        return Irp{"RC5", {{"D", static_cast<int>(address)}, {"F", static_cast<int>(f)}, {"T", 0}}};
    }
    if (protocol == "RC6") {
        if (!fits(address, 0xFF) || !fits(command, 0xFF)) {
            return fail(why, "RC6 address or command out of range");
        }
        return Irp{"RC6", {{"D", static_cast<int>(address)}, {"F", static_cast<int>(command)}, {"T", 0}}};
    }
    if (protocol == "SIRC" || protocol == "SIRC15" || protocol == "SIRC20") {
        const long long most = protocol == "SIRC" ? 31 : protocol == "SIRC15" ? 0xFF : 0x1FFF;
        if (!fits(address, most) || !fits(command, 127)) {
            return fail(why, std::string(protocol) + " address or command out of range");
        }
        const int f = static_cast<int>(command);
        if (protocol == "SIRC20") {
            return Irp{"Sony20",
                       {{"D", static_cast<int>(address & 0x1F)}, {"S", static_cast<int>(address >> 5)}, {"F", f}}};
        }
        return Irp{protocol == "SIRC" ? "Sony12" : "Sony15", {{"D", static_cast<int>(address)}, {"F", f}}};
    }
    if (protocol == "Kaseikyo") {
        return kaseikyo(address, command, why);
    }
    if (protocol == "RCA") {
        if (!fits(address, 15) || !fits(command, 0xFF)) {
            return fail(why, "RCA address or command out of range");
        }
        return Irp{"RCA", {{"D", static_cast<int>(address)}, {"F", static_cast<int>(command)}}};
    }
    return fail(why, "no protocol definition for " + std::string(protocol));
}

std::optional<ParsedSignal::Recorder> ParsedSignal::recorderOf(std::string_view protocol,
                                                               const ProtocolCodec::Fields &fields)
{
    const auto values = byName(fields);
    const auto at = [&values](std::string_view name) {
        const auto found = values.find(name);
        return found == values.end() ? 0 : found->second;
    };
    const int d = at("D");
    const int s = at("S");
    const int f = at("F");
    const int e = at("E");
    // A candidate for each protocol; whatever does not read back as the code is none.
    std::optional<Recorder> recorder;
    if (protocol == "NEC1" || protocol == "NEC1-f16") {
        const bool f16 = e != 255 - f;
        recorder = s == 255 - d && !f16 ? Recorder{"NEC", d, f} : Recorder{"NECext", d | s << 8, f16 ? f | e << 8 : f};
    } else if (protocol == "Pioneer") {
        recorder = Recorder{"Pioneer", d, f};
    } else if (protocol == "NECx1") {
        recorder = Recorder{"Samsung32", d, f};
    } else if (protocol == "NEC42") {
        recorder = Recorder{"NEC42", d, f};
    } else if (protocol == "RC5") {
        recorder = f < 64 ? Recorder{"RC5", d, f} : Recorder{"RC5X", d, f - 64};
    } else if (protocol == "RC6") {
        recorder = Recorder{"RC6", d, f};
    } else if (protocol == "Sony12" || protocol == "Sony15") {
        recorder = Recorder{protocol == "Sony12" ? "SIRC" : "SIRC15", d, f};
    } else if (protocol == "Sony20") {
        recorder = Recorder{"SIRC20", d | s << 5, f};
    } else if (protocol == "RCA") {
        recorder = Recorder{"RCA", d, f};
    } else if (protocol == "Kaseikyo") {
        recorder = kaseikyoRecorder(at("M"), at("N"), d, s, f);
    } else if (protocol == "Panasonic") {
        // The recorder's Panasonic is Kaseikyo of maker 2, 32; D carries D's nibble and a parity nibble of 0.
        recorder = kaseikyoRecorder(2, 32, d >> 4, s, f);
    }
    std::string why;
    const auto back = recorder ? irpOf(recorder->protocol, recorder->address, recorder->command, why) : std::nullopt;
    if (!back || back->protocol != protocol || byName(back->fields) != values)
        return std::nullopt;
    return recorder;
}
