#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "InfraredSignal.h"
#include "RemoteClient.h"
#include "VirtualRemote.h"

// One request to the server: a line of printable ASCII, the operation's name
// and its arguments separated by single spaces. The device operations carry
// the library's names and arguments:
//   link_state | ReadVersion | readdatav20 COUNT HI LO SELECTOR
//   | writedatav20 SELECTOR HI LO DATA | WCodeTypeData DATA | SetCodeCarrierWave
//   | RCollectCodeInfo | RBasicInfo
// and the control operations those of the command line:
//   status | attach | detach | identity other|original | press DURATIONS
//   | dump ADDR COUNT | reset | fault OPERATION COUNT | fault detach-during-capture
// HI, LO and SELECTOR are two hex digits, DATA an even number of them (maybe
// none), COUNT decimal; ADDR is hex; DURATIONS is SignalFile's durations form.
class RemoteRequest
{
public:
    enum class Op
    {
        LinkState,
        ReadVersion,
        ReadData,
        WriteData,
        WriteCodeTypeData,
        SetCodeCarrierWave,
        CollectCodeInfo,
        BasicInfo,
        Status,
        Attach,
        Detach,
        Identity,
        Press,
        Dump,
        Reset,
        Fault
    };

    static constexpr std::size_t maxLineLength = RemoteClient::maxRequestLength;
    // readdatav20 counts 8-byte units: the whole 64 KiB memory at most.
    static constexpr int maxReadCount = static_cast<int>(VirtualRemote::memorySize / 8);
    static constexpr int maxFaultCount = 1000000;

    // `line` without its newline; nullopt with *error when it is no valid request.
    static std::optional<RemoteRequest> parse(std::string_view line, std::string *error);
    // A device operation by its library name, in any letter case.
    static std::optional<VirtualRemote::Operation> operationNamed(std::string_view name);

    Op op = Op::Status;
    std::vector<std::string> texts;  // device operations: their text arguments, in order
    int count = 0;                   // readdatav20 count, dump byte count, fault count
    std::uint16_t address = 0;       // dump
    VirtualRemote::Identity identity = VirtualRemote::Identity::Original;
    VirtualRemote::Operation fault = VirtualRemote::Operation::LinkState;
    bool detachDuringCapture = false;
    InfraredSignal signal;
};
